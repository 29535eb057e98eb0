#include "platform/settings.h"

#include "platform/files.h"

#include <QDir>
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

// The most a settings file holds: a few recent books and options take some kilobytes, and the
// settings library reads the whole file into memory, so anything far larger is damaged.
constexpr qint64 maxsettingsbytes = 1024 * 1024;

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

// A regular file of a sane size, or nothing yet (a dangling link is not nothing).
bool regularornothing(const QString &path, qint64 maxbytes)
{
    const QFileInfo file(path);
    if (!file.exists() && !file.isSymLink())
        return true;
    return file.isFile() && file.size() <= maxbytes;
}

// The store is a regular file of a sane size or not there yet. Anything else under its name (a
// pipe, which would stop the reader until somebody writes; a device; a link to either, a
// dangling link, a damaged file too large to read) is left alone, and the defaults apply.
bool usablestore(const QString &application)
{
    return regularornothing(settingsfile(application), maxsettingsbytes);
}

// The lock's file is read to find its owner: a pipe there would stop the writer for ever.
bool usablelock(const QString &application)
{
    return regularornothing(settingsfile(application) + QStringLiteral(".lock"), 1024);
}

// A fresh account has no configuration folder yet: it is made private, as the desktop makes it.
void makefolder(const QString &application)
{
    const QString folder = QFileInfo(settingsfile(application)).absolutePath();
    if (QFileInfo::exists(folder))
        return;
    QDir().mkpath(QFileInfo(folder).absolutePath());
    (void)QDir().mkdir(folder,
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
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
    if (!usablestore(application) || !usablelock(application))
        return;
    makefolder(application);
    if (!lockfree(application))
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
