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
// (invalid name, no permission, a read-only file, a folder).
[[nodiscard]] FileHandle openreadwrite(const QString &path);

// Opens read-only; works while the same file is open for writing through another handle.
[[nodiscard]] FileHandle openreadonly(const QString &path);

// Reads up to maxsize bytes at offset; fewer at the end of the file. Moves the position.
[[nodiscard]] std::optional<QByteArray> readat(FileHandle handle, qint64 offset, qint64 maxsize);

// The whole file in one read, from offset 0.
[[nodiscard]] std::optional<QByteArray> readall(FileHandle handle);

// Writes every byte at offset, or fails. Moves the position.
[[nodiscard]] bool writeat(FileHandle handle, qint64 offset, QByteArrayView bytes);

// Position after the last transfer, and the file's length; -1 for a handle that is not open.
[[nodiscard]] qint64 position(FileHandle handle);
[[nodiscard]] qint64 length(FileHandle handle);

[[nodiscard]] bool isopen(FileHandle handle);

// Closing a handle that is not open does nothing.
void closefile(FileHandle handle);
void closeall();
[[nodiscard]] int openfilecount();

[[nodiscard]] bool removefile(const QString &path);

// A regular file, reached by this name, whose name does not start with a dot. Folders,
// hidden files, devices, pipes and sockets do not count.
[[nodiscard]] bool normalfileexists(const QString &path);

enum class ReplaceResult { Ok, OpenFailed, WriteFailed };

// Writes bytes to a temporary file beside path and puts it in place of path only when every
// byte is written. On failure the old file stays as it was. An existing file keeps its
// permissions; a read-only one is not replaced (OpenFailed).
[[nodiscard]] ReplaceResult replacefile(const QString &path, QByteArrayView bytes);

} // namespace platform
