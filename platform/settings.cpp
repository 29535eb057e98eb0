#include "platform/settings.h"

#include "platform/files.h"

#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace platform {
namespace {

QString &settingsfolder()
{
    static QString folder;
    return folder;
}

// How long a write waits for another writer's lock before it gives up.
constexpr int lockwaitms = 1000;

std::unique_ptr<QSettings> open(const QString &application, const QString &section)
{
    auto settings =
        std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application);
    // QSettings writes its top level as [General] and escapes a group of that name, so the
    // section "General" is the top level itself.
    if (section != QLatin1String("General"))
        settings->beginGroup(section);
    return settings;
}

// The store is a regular file or not there yet. Anything else under its name (a pipe, which
// would stop the reader until somebody writes; a device; a link to either, or a dangling
// link) is left alone, and the defaults apply.
bool usablestore(const QString &application)
{
    const QFileInfo file(settingsfile(application));
    if (file.isSymLink())
        return file.isFile();
    return !file.exists() || file.isFile();
}

// The settings library waits for its lock without a limit; a lock that cannot be taken or
// removed (a read-only folder, a stale lock of a crashed writer) would freeze the program.
// Waits a short time for it here instead.
bool lockfree(const QString &application)
{
    QLockFile lock(settingsfile(application) + QStringLiteral(".lock"));
    return lock.tryLock(lockwaitms);
}

} // namespace

QString readsetting(const QString &application, const QString &section, const QString &key,
                    const QString &defaultvalue)
{
    if (!usablestore(application))
        return defaultvalue;
    return open(application, section)->value(key, defaultvalue).toString();
}

void writesetting(const QString &application, const QString &section, const QString &key,
                  const QString &value)
{
    if (!usablestore(application) || !lockfree(application))
        return;
    ignorefilesizesignal();
    auto settings = open(application, section);
    settings->setValue(key, value);
    settings->sync();
}

QString settingsfile(const QString &application)
{
    // Worked out as the settings library does, without building one: that would read the
    // file, which must not happen before it is known to be a regular file.
    const QString folder =
        settingsfolder().isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            : settingsfolder();
    return folder + QLatin1Char('/') + application + QStringLiteral(".ini");
}

void setsettingsfolder(const QString &folder)
{
    settingsfolder() = folder;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, folder);
}

} // namespace platform
