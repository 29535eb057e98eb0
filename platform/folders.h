#pragma once

#include <QString>
#include <QStringList>

// The process's current folder and "drives": the mounted volumes, each remembering the folder
// last used on it in this process (its root at first).
namespace platform {

[[nodiscard]] QString currentfolder();

// Changes the current folder; false (and no change) when it cannot be entered or listed.
[[nodiscard]] bool setcurrentfolder(const QString &path);

// Root paths of the mounted volumes, "/" first.
[[nodiscard]] QStringList drives();

// Root path of the volume that holds path.
[[nodiscard]] QString driveof(const QString &path);

// The folder last made current on drive in this process, or its root.
[[nodiscard]] QString drivefolder(const QString &drive);

// Makes drivefolder(drive) current; false (and no change) when it cannot be entered.
[[nodiscard]] bool setcurrentdrive(const QString &drive);

} // namespace platform
