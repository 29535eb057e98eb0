#pragma once

#include <QStringList>

// The sub-commands of qbook that need no display. Each takes the arguments after its own name
// and returns the exit status: 0 done, 1 a file could not be read or written, nothing to
// import or problems found, 2 a usage error.
namespace cli {

inline constexpr int exitok = 0;
inline constexpr int exitfailed = 1;
inline constexpr int exitusage = 2;

[[nodiscard]] int info(const QStringList &arguments);
[[nodiscard]] int check(const QStringList &arguments);
[[nodiscard]] int exportbook(const QStringList &arguments);
[[nodiscard]] int importbook(const QStringList &arguments);

// Prints "qbook: message" and the hint to --help on standard error; returns exitusage.
int usageerror(const QString &message);

} // namespace cli
