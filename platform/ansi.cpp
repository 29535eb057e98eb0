#include "ansi.h"

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

QByteArray toansi(const QString &text)
{
    const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
    const qsizetype size = text.size();
    bool latin1 = true;
    for (qsizetype i = 0; i < size; ++i)
        latin1 &= in[i] < 0x80 || (in[i] >= 0xA0 && in[i] <= 0xFF);
    if (latin1)
        return text.toLatin1();

    QByteArray bytes(size, Qt::Uninitialized);
    char *out = bytes.data();
    qsizetype n = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            out[n++] = '?';
            ++i;
            continue;
        }
        out[n++] = encodeone(c.unicode());
    }
    bytes.truncate(n);
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
