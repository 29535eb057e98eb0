#include "files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <map>
#include <memory>

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

FileHandle openwith(const QString &path, QIODevice::OpenMode mode)
{
    const QFileInfo info(path);
    if (path.isEmpty() || info.isDir())
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
    QFile *file = lookup(handle);
    if (!file || offset < 0 || !file->isWritable() || !file->seek(offset))
        return false;
    return file->write(bytes.data(), bytes.size()) == bytes.size() && file->flush();
}

qint64 position(FileHandle handle)
{
    const QFile *file = lookup(handle);
    return file ? file->pos() : -1;
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

bool removefile(const QString &path)
{
    return !path.isEmpty() && QFile::remove(path);
}

bool normalfileexists(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && !info.fileName().startsWith(QLatin1Char('.'));
}

ReplaceResult replacefile(const QString &path, QByteArrayView bytes)
{
    if (path.isEmpty() || QFileInfo(path).isDir())
        return ReplaceResult::OpenFailed;
    const QFileInfo old(path);
    const bool existed = old.exists();
    if (readonlyfile(old))
        return ReplaceResult::OpenFailed;
    // Only the mode bits: Qt also reports what this process may do (the "User" flags), and
    // handing those back would set owner bits the file never had, e.g. for the superuser.
    const auto modebits = QFileDevice::Permissions::fromInt(0xF0FF);
    const QFileDevice::Permissions permissions =
        existed ? old.permissions() & modebits : QFileDevice::Permissions();

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
    if (existed && !file.setPermissions(permissions)) {
        file.cancelWriting();
        return ReplaceResult::WriteFailed;
    }
    if (!file.commit())
        return ReplaceResult::WriteFailed;
    return ReplaceResult::Ok;
}

} // namespace platform
