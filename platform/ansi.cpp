#include "platform/ansi.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace platform {
namespace {

// 0x80..0x9F of Windows-1252. The five bytes the code page leaves undefined map to the C1
// control with the same value, so that they survive a round trip.
constexpr std::array<char16_t, 32> highcontrols = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char encodeone(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    for (std::size_t i = 0; i < highcontrols.size(); ++i) {
        if (highcontrols[i] == c)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

// Word-at-a-time tests, since the plain loops are not vectorised at our optimisation level.
// A byte of 0x80..0x9F is the one that differs between Windows-1252 and Latin-1.
bool hashighcontrol(QByteArrayView bytes)
{
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 highs = 0x8080808080808080ULL;
    const char *p = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    for (; i + 8 <= n; i += 8) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        // A byte of this range becomes zero here; then find a zero byte.
        const quint64 v = (word & 0xE0E0E0E0E0E0E0E0ULL) ^ highs;
        if ((v - ones) & ~v & highs)
            return true;
    }
    for (; i < n; ++i) {
        if ((static_cast<unsigned char>(p[i]) & 0xE0) == 0x80)
            return true;
    }
    return false;
}

// Every unit is a character that Windows-1252 and Latin-1 write as the same byte.
bool plainlatin1(const char16_t *in, qsizetype size)
{
    constexpr quint64 ones = 0x0001000100010001ULL;
    constexpr quint64 highs = 0x8000800080008000ULL;
    qsizetype i = 0;
    for (; i + 4 <= size; i += 4) {
        quint64 word;
        std::memcpy(&word, in + i, 8);
        if (word & 0xFF00FF00FF00FF00ULL)
            return false;
        const quint64 v = (word & 0x00E000E000E000E0ULL) ^ 0x0080008000800080ULL;
        if ((v - ones) & ~v & highs)
            return false;
    }
    for (; i < size; ++i) {
        if (in[i] > 0xFF || (in[i] & 0xE0) == 0x80)
            return false;
    }
    return true;
}

} // namespace

QString fromansi(QByteArrayView bytes)
{
    // Windows-1252 is Latin-1 but for 0x80..0x9F: convert with Qt's vectorised Latin-1 and
    // put right the few characters of that range.
    QString text = QString::fromLatin1(bytes);
    if (!hashighcontrol(bytes))
        return text;
    auto *out = reinterpret_cast<char16_t *>(text.data());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (out[i] >= 0x80 && out[i] < 0xA0)
            out[i] = highcontrols[out[i] - 0x80];
    }
    return text;
}

void appendansi(QByteArray &out, QStringView text, qsizetype maxbytes)
{
    const char16_t *in = text.utf16();
    const qsizetype size = text.size();
    const qsizetype start = out.size();
    // One byte per UTF-16 unit at most; a surrogate pair gives one byte for two units.
    out.resize(start + std::min(size, maxbytes));
    char *dest = out.data() + start;

    // Nearly every text is plain Latin-1.
    if (plainlatin1(in, size)) {
        const qsizetype n = std::min(size, maxbytes);
        for (qsizetype i = 0; i < n; ++i)
            dest[i] = static_cast<char>(in[i]);
        return;
    }

    qsizetype n = 0;
    for (qsizetype i = 0; i < size && n < maxbytes; ++i) {
        const char16_t c = in[i];
        if (QChar::isHighSurrogate(c) && i + 1 < size && QChar::isLowSurrogate(in[i + 1]))
            ++i;
        dest[n++] = encodeone(c);
    }
    out.truncate(start + n);
}

QByteArray toansi(const QString &text)
{
    QByteArray bytes;
    appendansi(bytes, text, text.size());
    return bytes;
}

qsizetype ansilength(const QString &text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

} // namespace platform
