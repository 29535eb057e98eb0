#include "platform/folders.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>

#include <algorithm>

namespace platform {
namespace {

QHash<QString, QString> &lastfolders()
{
    static QHash<QString, QString> folders;
    return folders;
}

bool enterable(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isExecutable() && info.isReadable();
}

} // namespace

QString currentfolder()
{
    return QDir::currentPath();
}

bool setcurrentfolder(const QString &path)
{
    if (path.isEmpty() || !enterable(path))
        return false;
    const QString absolute = QDir(path).absolutePath();
    if (!QDir::setCurrent(absolute))
        return false;
    lastfolders().insert(driveof(absolute), QDir::currentPath());
    return true;
}

QStringList drives()
{
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    if (!roots.contains(QStringLiteral("/")))
        roots.append(QStringLiteral("/"));
    std::sort(roots.begin(), roots.end(), [](const QString &a, const QString &b) {
        if (a == QLatin1String("/") || b == QLatin1String("/"))
            return a == QLatin1String("/") && b != QLatin1String("/");
        return a < b;
    });
    return roots;
}

QString driveof(const QString &path)
{
    const QStorageInfo volume(path);
    return volume.isValid() ? volume.rootPath() : QStringLiteral("/");
}

QString drivefolder(const QString &drive)
{
    const QString folder = lastfolders().value(drive);
    if (!folder.isEmpty() && enterable(folder))
        return folder;
    return drive;
}

bool setcurrentdrive(const QString &drive)
{
    return setcurrentfolder(drivefolder(drive));
}

} // namespace platform
