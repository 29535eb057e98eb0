#pragma once

#include <QString>
#include <QStringList>

// What the program's arguments ask for before any window exists.
namespace cmdline {

enum class Request { Run, Help, Version };

// --help and --version are answered on standard output without a window or a display.
[[nodiscard]] Request request(const QStringList &arguments);

// The command line handed to the main window as one text: the arguments after the program's
// name joined by single blanks, with "-e PATH" and "--edit PATH" spelled as "/E PATH".
[[nodiscard]] QString commandline(const QStringList &arguments);

[[nodiscard]] QString helptext();
[[nodiscard]] QString versiontext();

} // namespace cmdline
