#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Numbered file handles over the local file system. Relative names resolve against the
// process's current folder at the time of the call.
namespace platform {

using FileHandle = int; // 0 means "no file"

// Opens for reading and writing, creating a missing file. Returns 0 on any failure
// (invalid name, no permission, a read-only file, anything but a regular file).
[[nodiscard]] FileHandle openreadwrite(const QString &path);

// Opens read-only; works while the same file is open for writing through another handle.
// Anything but a regular file (a pipe would wait for a writer) is refused.
[[nodiscard]] FileHandle openreadonly(const QString &path);

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

enum class ReplaceResult { Ok, OpenFailed, WriteFailed };

// What replacefile does when path is a symbolic link.
enum class LinkHandling {
    WriteTarget, // the link stays and the file it leads to gets the bytes
    ReplaceLink, // the link itself gives way to a new file; its target is left alone
};

// Writes bytes to a temporary file beside path and puts it in place of path only when every
// byte is written. On failure the old file stays as it was. Only a regular file or a missing
// name is replaced: a folder, device, pipe or socket (or a link to one) gives OpenFailed, as
// does a read-only file. An existing file keeps its mode and, where the system permits, its
// owner and group.
[[nodiscard]] ReplaceResult replacefile(const QString &path, QByteArrayView bytes,
                                        LinkHandling links = LinkHandling::WriteTarget);

// A write past the process's file-size limit (ulimit -f, a quota) then fails like one to a
// full disk, instead of ending the process. Every writer calls it; calling again is harmless.
void ignorefilesizesignal();

} // namespace platform
