#pragma once

#include <QString>

// The per-user settings store: text values addressed by application, section and key,
// kept in an INI file named after the application in the user's configuration folder.
namespace platform {

[[nodiscard]] QString readsetting(const QString &application, const QString &section,
                                  const QString &key, const QString &defaultvalue);

// Stored at once, not at exit.
void writesetting(const QString &application, const QString &section, const QString &key,
                  const QString &value);

// The file that holds an application's settings.
[[nodiscard]] QString settingsfile(const QString &application);

// Points the store at another folder (tests use a temporary one).
void setsettingsfolder(const QString &folder);

} // namespace platform
