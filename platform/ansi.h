#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Conversion between the program's strings and the 8-bit code page of quiz book files
// (Windows-1252). Every byte value survives a read and a write.
namespace platform {

// Bytes to text: every byte maps to exactly one character.
[[nodiscard]] QString fromansi(QByteArrayView bytes);

// Text to bytes: one byte per character; a character outside the code page becomes '?'.
[[nodiscard]] QByteArray toansi(const QString &text);

// Appends toansi(text) to out, cut to at most maxbytes bytes, without a temporary array.
void appendansi(QByteArray &out, QStringView text, qsizetype maxbytes);

// How many bytes toansi() would produce, without building them.
[[nodiscard]] qsizetype ansilength(const QString &text);

} // namespace platform
