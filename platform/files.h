#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>

class QFile;
class QIODevice;

// Numbered file handles over the local file system. Relative names resolve against the
// process's current folder at the time of the call.
namespace platform {

using FileHandle = int; // 0 means "no file"

// Opens for reading and writing, creating a missing file. Returns 0 on any failure
// (invalid name, no permission, a read-only file, anything but a regular file).
[[nodiscard]] FileHandle openreadwrite(const QString &path);

// Opens read-only; works while the same file is open for writing through another handle.
// Anything but a regular file (a pipe would wait for a writer) is refused.
[[nodiscard]] FileHandle openreadonly(const QString &path, QString *why = nullptr);

// Reads up to maxsize bytes at offset; fewer at the end of the file.
[[nodiscard]] std::optional<QByteArray> readat(FileHandle handle, qint64 offset, qint64 maxsize);

// The whole file in one read, from offset 0.
[[nodiscard]] std::optional<QByteArray> readall(FileHandle handle);

// Writes every byte at offset, or fails.
[[nodiscard]] bool writeat(FileHandle handle, qint64 offset, QByteArrayView bytes);

// The file's length; -1 for a handle that is not open.
[[nodiscard]] qint64 length(FileHandle handle);

[[nodiscard]] bool isopen(FileHandle handle);

// Closing a handle that is not open does nothing.
void closefile(FileHandle handle);
void closeall();
[[nodiscard]] int openfilecount();

// A regular file, reached by this name, whose name does not start with a dot. Folders,
// hidden files, devices, pipes and sockets do not count.
[[nodiscard]] bool normalfileexists(const QString &path);

// What identifies the contents of a file without reading it: another program that writes
// or replaces the file changes at least one of these.
struct FileStamp
{
    qint64 size = 0;
    qint64 modified = 0; // nanoseconds since the epoch
    quint64 device = 0;
    quint64 inode = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of the file that path leads to (links followed), or of an open file; nothing when
// there is no such file.
[[nodiscard]] std::optional<FileStamp> stampof(const QString &path);
[[nodiscard]] std::optional<FileStamp> stampof(FileHandle handle);

// Reading: the one way into a file. Nothing waits on open (a pipe without a writer would
// wait for ever); anything that is not a regular file once links are followed is refused, and
// so is a file larger than maxbytes, the most its format can need. On failure *why says why in
// a few words ("not a regular file", "permission denied").
[[nodiscard]] std::unique_ptr<QFile> openforreading(const QString &path, qint64 maxbytes,
                                                    QString *why = nullptr);

// At most maxbytes of the device up to its end; nothing when there are more, when reading
// fails or when the memory runs out.
[[nodiscard]] std::optional<QByteArray> readbounded(QIODevice &device, qint64 maxbytes,
                                                    QString *why = nullptr);

// The whole file, through openforreading and readbounded.
[[nodiscard]] std::optional<QByteArray> readfile(const QString &path, qint64 maxbytes,
                                                 QString *why = nullptr);

// The same file (links followed) under both names.
[[nodiscard]] bool samefile(const QString &path, const QString &other);

enum class ReplaceResult { Ok, OpenFailed, WriteFailed };

// What replacefile does when path is a symbolic link.
enum class LinkHandling {
    WriteTarget, // the link stays and the file it leads to gets the bytes
    ReplaceLink, // the link itself gives way to a new file; its target is left alone
};

class ReplacingFileData;

// Writing: the one way to put a file in place. The bytes go through device() to a temporary
// file beside path; commit() puts it in place of path in one step, and discard() (or the end
// of the object) leaves no trace of it. Only a regular file or a missing name is replaced: a
// folder, device, pipe or socket, a link to one, a link that leads nowhere (unless the link
// itself is replaced) and a read-only file are refused, and the old file stays as it was
// whatever fails. An existing file keeps its mode and, where the system permits, its owner
// and group. A file-size limit fails the write like a full disk.
class ReplacingFile
{
public:
    explicit ReplacingFile(const QString &path, LinkHandling links = LinkHandling::WriteTarget);
    ~ReplacingFile();
    Q_DISABLE_COPY_MOVE(ReplacingFile)

    // The file being read, which must never be written over (through any name or link).
    void keepintact(const QString &input);

    [[nodiscard]] bool open();
    [[nodiscard]] QIODevice *device();
    [[nodiscard]] bool commit();
    void discard();

    [[nodiscard]] ReplaceResult result() const;
    // Why the file could not be written: "disk full", "permission denied", ...
    [[nodiscard]] QString reason() const;

private:
    std::unique_ptr<ReplacingFileData> d;
};

// Writes bytes through a ReplacingFile.
[[nodiscard]] ReplaceResult replacefile(const QString &path, QByteArrayView bytes,
                                        LinkHandling links = LinkHandling::WriteTarget,
                                        QString *why = nullptr);

// A write past the process's file-size limit (ulimit -f, a quota) then fails like one to a
// full disk, instead of ending the process. The writing entry calls it; calling again is
// harmless.
void ignorefilesizesignal();

} // namespace platform
