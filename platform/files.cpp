#include "platform/files.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <memory>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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

// The mode a newly created file gets from this process.
mode_t newfilemode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Why a system call failed, in the words the messages use.
QString reasonfor(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("disk full");
    case EFBIG:
        return QStringLiteral("file too large");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("permission denied");
    case ENOENT:
        return QStringLiteral("no such file");
    case ENOMEM:
        return QStringLiteral("out of memory");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

void tell(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
}

const QString notregularfile = QStringLiteral("not a regular file");

// A regular file opened with flags, or nothing. Others are refused before the open, which for
// a device may do something, and again after it, against a swap in between; the open itself
// never waits.
std::unique_ptr<QFile> openregular(const QString &path, int flags, QIODevice::OpenMode buffering,
                                   QString *why)
{
    const QFileInfo info(path);
    // A link that leads nowhere would have its target created.
    const bool dangling = info.isSymLink() && !info.exists();
    if (path.isEmpty() || dangling || notregular(info)) {
        tell(why, notregular(info) ? notregularfile : reasonfor(ENOENT));
        return nullptr;
    }
    const int fd = ::open(QFile::encodeName(path).constData(),
                          flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        tell(why, reasonfor(errno));
        return nullptr;
    }
    struct stat status = {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        tell(why, notregularfile);
        return nullptr;
    }
    const auto mode = (flags & O_ACCMODE) == O_RDWR ? QIODevice::ReadWrite : QIODevice::ReadOnly;
    auto file = std::make_unique<QFile>(path);
    if (!file->open(fd, mode | buffering, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        tell(why, file->errorString());
        return nullptr;
    }
    return file;
}

FileHandle openwith(const QString &path, QIODevice::OpenMode mode, QString *why = nullptr)
{
    const bool writing = mode & QIODevice::WriteOnly;
    if (writing && readonlyfile(QFileInfo(path)))
        return 0;
    auto file =
        openregular(path, writing ? O_RDWR | O_CREAT : O_RDONLY, QIODevice::Unbuffered, why);
    if (!file)
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

FileHandle openreadonly(const QString &path, QString *why)
{
    return openwith(path, QIODevice::ReadOnly, why);
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

std::unique_ptr<QFile> openforreading(const QString &path, qint64 maxbytes, QString *why)
{
    // Buffered: a reader that streams from it takes small pieces.
    auto file = openregular(path, O_RDONLY, QIODevice::NotOpen, why);
    if (file && file->size() > maxbytes) {
        tell(why, QStringLiteral("file too large"));
        return nullptr;
    }
    return file;
}

std::optional<QByteArray> readbounded(QIODevice &device, qint64 maxbytes, QString *why)
{
    // Reading one byte past the bound tells a file that grew, or a stream that does not end.
    try {
        QByteArray bytes;
        if (!device.isSequential())
            bytes.reserve(std::clamp<qint64>(device.size() - device.pos(), 0, maxbytes));
        QByteArray piece(64 * 1024, Qt::Uninitialized);
        while (bytes.size() <= maxbytes) {
            const qint64 n = device.read(piece.data(), piece.size());
            if (n < 0) {
                tell(why, device.errorString());
                return std::nullopt;
            }
            if (n == 0)
                return bytes;
            bytes.append(piece.constData(), n);
        }
        tell(why, QStringLiteral("file too large"));
        return std::nullopt;
    } catch (const std::bad_alloc &) {
        tell(why, reasonfor(ENOMEM));
        return std::nullopt;
    }
}

std::optional<QByteArray> readfile(const QString &path, qint64 maxbytes, QString *why)
{
    const auto file = openforreading(path, maxbytes, why);
    return file ? readbounded(*file, maxbytes, why) : std::nullopt;
}

bool samefile(const QString &path, const QString &other)
{
    const auto one = stampof(path);
    const auto two = stampof(other);
    return one && two && one->device == two->device && one->inode == two->inode;
}

namespace {

// The temporary file's bytes, gathered and written in large pieces; the first failed write
// keeps its reason, and every write after it fails.
class FileSink final : public QIODevice
{
public:
    explicit FileSink(int fd) : m_fd(fd) { QIODevice::open(WriteOnly | Unbuffered); }

    [[nodiscard]] int failure() const { return m_failure; }

    bool drain()
    {
        writeall(m_buffer.constData(), m_buffer.size());
        m_buffer.clear();
        return m_failure == 0;
    }

protected:
    qint64 readData(char *, qint64) override { return -1; }

    qint64 writeData(const char *data, qint64 size) override
    {
        constexpr qsizetype piece = 256 * 1024;
        if (size >= piece) { // a whole book in one call is written without a copy
            drain();
            writeall(data, size);
            return m_failure == 0 ? size : -1;
        }
        try {
            m_buffer.append(data, size);
        } catch (const std::bad_alloc &) {
            m_failure = ENOMEM;
        }
        if (m_buffer.size() >= piece)
            drain();
        return m_failure == 0 ? size : -1;
    }

private:
    void writeall(const char *data, qint64 size)
    {
        qint64 done = 0;
        while (m_failure == 0 && done < size) {
            const ssize_t n = ::write(m_fd, data + done, static_cast<size_t>(size - done));
            if (n < 0 && errno != EINTR)
                m_failure = errno;
            else if (n == 0)
                m_failure = EIO; // no progress: never loop for ever
            done += std::max<ssize_t>(n, 0);
        }
    }

    int m_fd;
    int m_failure = 0;
    QByteArray m_buffer;
};

} // namespace

class ReplacingFileData
{
public:
    QString path;
    LinkHandling links;
    QString input;
    QString target;       // the name that commit replaces
    QByteArray temporary; // the temporary file's name, while it exists
    int fd = -1;
    std::unique_ptr<FileSink> sink;
    ReplaceResult result = ReplaceResult::OpenFailed;
    QString reason;

    bool fail(ReplaceResult failure, const QString &why)
    {
        result = failure;
        reason = why;
        removetemporary();
        return false;
    }

    void removetemporary()
    {
        sink.reset();
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        temporary.clear();
    }

    // What may stand at the target: nothing, or a regular file that may be written and is not
    // the one being read.
    bool replaceable(struct stat *old, bool *existed)
    {
        const QFileInfo info(target);
        const bool link = info.isSymLink();
        if (link && links == LinkHandling::WriteTarget && !info.exists())
            return fail(ReplaceResult::OpenFailed, QStringLiteral("link to a missing file"));
        *existed = !(link && links == LinkHandling::ReplaceLink) &&
                   ::stat(QFile::encodeName(target).constData(), old) == 0;
        if (!*existed)
            return true;
        if (!S_ISREG(old->st_mode))
            return fail(ReplaceResult::OpenFailed, notregularfile);
        if (readonlyfile(info))
            return fail(ReplaceResult::OpenFailed, reasonfor(EACCES));
        if (!input.isEmpty() && samefile(target, input))
            return fail(ReplaceResult::OpenFailed, QStringLiteral("it is the file being read"));
        return true;
    }
};

ReplacingFile::ReplacingFile(const QString &path, LinkHandling links)
    : d(std::make_unique<ReplacingFileData>())
{
    d->path = path;
    d->links = links;
}

ReplacingFile::~ReplacingFile()
{
    d->removetemporary();
}

void ReplacingFile::keepintact(const QString &input)
{
    d->input = input;
}

bool ReplacingFile::open()
{
    ignorefilesizesignal();
    d->removetemporary();
    if (d->path.isEmpty())
        return d->fail(ReplaceResult::OpenFailed, reasonfor(ENOENT));
    const QFileInfo named(d->path);
    // A link written through is replaced at the file it leads to, so that it stays a link.
    d->target = d->links == LinkHandling::WriteTarget && named.isSymLink() && named.exists()
                    ? named.canonicalFilePath()
                    : named.absoluteFilePath();
    struct stat old = {};
    bool existed = false;
    if (!d->replaceable(&old, &existed))
        return false;

    const QFileInfo target(d->target);
    d->temporary = QFile::encodeName(target.absolutePath() + QStringLiteral("/.") +
                                     target.fileName() + QStringLiteral(".XXXXXX"));
    d->fd = mkostemp(d->temporary.data(), O_CLOEXEC);
    if (d->fd < 0) {
        d->temporary.clear();
        return d->fail(ReplaceResult::OpenFailed, reasonfor(errno));
    }
    // The replaced file's owner, group and mode. A change of owner or group that the system
    // refuses (an ordinary user giving a file away) is skipped; the mode is set after them
    // because a change of owner clears the set-ID bits.
    if (existed && fchown(d->fd, old.st_uid, old.st_gid) != 0)
        (void)fchown(d->fd, static_cast<uid_t>(-1), old.st_gid);
    if (fchmod(d->fd, existed ? old.st_mode & 07777 : newfilemode()) != 0)
        return d->fail(ReplaceResult::OpenFailed, reasonfor(errno));
    d->sink = std::make_unique<FileSink>(d->fd);
    d->result = ReplaceResult::Ok;
    d->reason.clear();
    return true;
}

QIODevice *ReplacingFile::device()
{
    return d->sink.get();
}

bool ReplacingFile::commit()
{
    if (!d->sink)
        return false;
    if (!d->sink->drain())
        return d->fail(ReplaceResult::WriteFailed, reasonfor(d->sink->failure()));
    if (fsync(d->fd) != 0 || ::close(std::exchange(d->fd, -1)) != 0)
        return d->fail(ReplaceResult::WriteFailed, reasonfor(errno));
    // What stands at the name may have changed while the bytes were written.
    struct stat old = {};
    bool existed = false;
    if (!d->replaceable(&old, &existed))
        return false;
    // rename() replaces the directory entry in one step: a reader sees the old file or the
    // new, never a part.
    if (std::rename(d->temporary.constData(), QFile::encodeName(d->target).constData()) != 0)
        return d->fail(ReplaceResult::WriteFailed, reasonfor(errno));
    d->temporary.clear();
    d->sink.reset();
    return true;
}

void ReplacingFile::discard()
{
    d->removetemporary();
}

ReplaceResult ReplacingFile::result() const
{
    return d->result;
}

QString ReplacingFile::reason() const
{
    return d->reason;
}

ReplaceResult replacefile(const QString &path, QByteArrayView bytes, LinkHandling links,
                          QString *why)
{
    ReplacingFile file(path, links);
    // A failed write is seen, with its reason, by commit.
    if (file.open()) {
        (void)file.device()->write(bytes.data(), bytes.size());
        (void)file.commit();
    }
    tell(why, file.reason());
    return file.result();
}

} // namespace platform
