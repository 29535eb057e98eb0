#include "platform/files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <csignal>
#include <cstdio>
#include <map>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::map<FileHandle, std::unique_ptr<QFile>> &openfiles()
{
    static std::map<FileHandle, std::unique_ptr<QFile>> files;
    return files;
}

FileHandle nexthandle()
{
    static FileHandle last = 0;
    return ++last;
}

QFile *lookup(FileHandle handle)
{
    auto &files = openfiles();
    const auto it = files.find(handle);
    return it == files.end() ? nullptr : it->second.get();
}

// A file whose mode has no write bit at all is read-only for everybody, the superuser
// included: the program honours it as the user's wish not to change that book.
bool readonlyfile(const QFileInfo &info)
{
    constexpr auto anywrite =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.exists() && (!info.isWritable() || !(info.permissions() & anywrite));
}

// Something other than a regular file is there (links followed): a folder, device, pipe or
// socket. Opening a pipe would wait for a writer; writing a device writes where nobody meant.
bool notregular(const QFileInfo &info)
{
    return info.exists() && !info.isFile();
}

FileStamp stampfrom(const struct stat &status)
{
    return FileStamp{static_cast<qint64>(status.st_size),
                     static_cast<qint64>(status.st_mtim.tv_sec) * 1'000'000'000 +
                         status.st_mtim.tv_nsec,
                     static_cast<quint64>(status.st_dev), static_cast<quint64>(status.st_ino)};
}

// The replaced file's owner, group and mode for the new one. A change of owner or group that
// the system refuses (an ordinary user giving a file away) is skipped; the mode is set after
// them because a change of owner clears the set-ID bits.
bool keepownerandmode(int fd, const struct stat &old)
{
    if (fchown(fd, old.st_uid, old.st_gid) != 0)
        (void)fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    return fchmod(fd, old.st_mode & 07777) == 0;
}

// The mode a newly created file gets from this process.
mode_t newfilemode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Puts a new file with bytes in place of the link at path, leaving the link's target alone.
ReplaceResult replacelink(const QString &path, QByteArrayView bytes)
{
    const QFileInfo link(path);
    QTemporaryFile file(link.absolutePath() + QStringLiteral("/.") + link.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!file.open())
        return ReplaceResult::OpenFailed;
    if (file.write(bytes.data(), bytes.size()) != bytes.size() || !file.flush() ||
        fchmod(file.handle(), newfilemode()) != 0)
        return ReplaceResult::WriteFailed;
    // rename() replaces the directory entry, which is the link, in one step.
    if (std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(link.absoluteFilePath()).constData()) != 0)
        return ReplaceResult::WriteFailed;
    file.setAutoRemove(false);
    return ReplaceResult::Ok;
}

FileHandle openwith(const QString &path, QIODevice::OpenMode mode)
{
    const QFileInfo info(path);
    if (path.isEmpty() || notregular(info))
        return 0;
    if ((mode & QIODevice::WriteOnly) && readonlyfile(info))
        return 0;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(mode | QIODevice::Unbuffered))
        return 0;
    const FileHandle handle = nexthandle();
    openfiles().emplace(handle, std::move(file));
    return handle;
}

} // namespace

FileHandle openreadwrite(const QString &path)
{
    return openwith(path, QIODevice::ReadWrite);
}

FileHandle openreadonly(const QString &path)
{
    return openwith(path, QIODevice::ReadOnly);
}

std::optional<QByteArray> readat(FileHandle handle, qint64 offset, qint64 maxsize)
{
    QFile *file = lookup(handle);
    if (!file || offset < 0 || maxsize < 0 || !file->seek(offset))
        return std::nullopt;
    QByteArray bytes = file->read(maxsize);
    if (file->error() != QFileDevice::NoError && bytes.isEmpty() && maxsize > 0)
        return std::nullopt;
    return bytes;
}

std::optional<QByteArray> readall(FileHandle handle)
{
    const qint64 size = length(handle);
    if (size < 0)
        return std::nullopt;
    auto bytes = readat(handle, 0, size);
    if (!bytes || bytes->size() != size)
        return std::nullopt;
    return bytes;
}

bool writeat(FileHandle handle, qint64 offset, QByteArrayView bytes)
{
    ignorefilesizesignal();
    QFile *file = lookup(handle);
    if (!file || offset < 0 || !file->isWritable() || !file->seek(offset))
        return false;
    return file->write(bytes.data(), bytes.size()) == bytes.size() && file->flush();
}

qint64 length(FileHandle handle)
{
    const QFile *file = lookup(handle);
    return file ? file->size() : -1;
}

bool isopen(FileHandle handle)
{
    return lookup(handle) != nullptr;
}

void closefile(FileHandle handle)
{
    openfiles().erase(handle);
}

void closeall()
{
    openfiles().clear();
}

int openfilecount()
{
    return static_cast<int>(openfiles().size());
}

bool normalfileexists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

std::optional<FileStamp> stampof(const QString &path)
{
    struct stat status = {};
    if (path.isEmpty() || stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return stampfrom(status);
}

std::optional<FileStamp> stampof(FileHandle handle)
{
    const QFile *file = lookup(handle);
    struct stat status = {};
    if (!file || fstat(file->handle(), &status) != 0)
        return std::nullopt;
    return stampfrom(status);
}

void ignorefilesizesignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

ReplaceResult replacefile(const QString &path, QByteArrayView bytes, LinkHandling links)
{
    ignorefilesizesignal();
    if (path.isEmpty())
        return ReplaceResult::OpenFailed;
    const QFileInfo old(path);
    if (links == LinkHandling::ReplaceLink && old.isSymLink())
        return replacelink(path, bytes);
    if (notregular(old) || readonlyfile(old))
        return ReplaceResult::OpenFailed;
    struct stat oldstatus = {};
    const bool existed = stat(QFile::encodeName(path).constData(), &oldstatus) == 0;

    // Unbuffered, so that a failed write is seen here: QSaveFile ignores an error that only
    // shows when its buffer is flushed on commit, and would put a cut file in place.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return ReplaceResult::OpenFailed;
    if (file.write(bytes.data(), bytes.size()) != bytes.size() ||
        file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return ReplaceResult::WriteFailed;
    }
    if (existed && !keepownerandmode(file.handle(), oldstatus)) {
        file.cancelWriting();
        return ReplaceResult::WriteFailed;
    }
    if (!file.commit())
        return ReplaceResult::WriteFailed;
    return ReplaceResult::Ok;
}

} // namespace platform
