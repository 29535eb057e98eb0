#include "ansi.h"

#include <algorithm>
#include <array>

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

} // namespace

QString fromansi(QByteArrayView bytes)
{
    // Windows-1252 is Latin-1 but for 0x80..0x9F: convert with Qt's vectorised Latin-1 and
    // put right the few characters of that range.
    QString text = QString::fromLatin1(bytes);
    char16_t *out = nullptr;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.constData()[i].unicode();
        if (c < 0x80 || c >= 0xA0)
            continue;
        if (!out)
            out = reinterpret_cast<char16_t *>(text.data());
        out[i] = highcontrols[c - 0x80];
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

    // Nearly every text is plain Latin-1: two simple loops the compiler can vectorise.
    bool latin1 = true;
    for (qsizetype i = 0; i < size; ++i)
        latin1 &= in[i] < 0x80 || (in[i] >= 0xA0 && in[i] <= 0xFF);
    if (latin1) {
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
