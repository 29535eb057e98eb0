#pragma once

#include "ui/main/launch.h"

#include <QString>
#include <QStringList>

// What the program's arguments ask for before any window exists.
namespace cmdline {

enum class Request { Run, Help, Version };

// --help and --version are answered on standard output without a window or a display.
[[nodiscard]] Request request(const QStringList &arguments);

// The command line as one text: the arguments after the program's name joined by single
// blanks, with "-e PATH" and "--edit PATH" spelled as "/E PATH".
[[nodiscard]] QString commandline(const QStringList &arguments);

// What the arguments ask of the main window. The whole line is one path, blanks included; a
// line that names an existing book is run even when it starts with "/e" ("/etc/...",
// "/export/..."), and only otherwise is a leading "/E" the edit switch.
[[nodiscard]] Launch launch(const QStringList &arguments);

[[nodiscard]] QString helptext();
[[nodiscard]] QString versiontext();

} // namespace cmdline
