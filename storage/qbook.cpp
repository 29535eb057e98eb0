#include "storage/qbook.h"

#include "platform/ansi.h"

namespace qbook {
namespace {

void appendu16(QByteArray &out, quint16 value)
{
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}

} // namespace

void appendtext(QByteArray &out, const QString &text)
{
    const qsizetype countat = out.size();
    appendu16(out, 0);
    // A reader that takes the count as a signed number would see a longer text as a negative
    // length; cutting it keeps every book readable everywhere.
    platform::appendansi(out, text, maxtextbytes);
    const auto written = static_cast<quint16>(out.size() - countat - 2);
    out[countat] = static_cast<char>(written & 0xFF);
    out[countat + 1] = static_cast<char>(written >> 8);
}

void appendheader(QByteArray &out, const QBookHeader &header)
{
    appendtext(out, header.category);
    appendtext(out, header.author);
    appendtext(out, header.magic);
    appendu16(out, static_cast<quint16>(header.count));
}

void appendrecord(QByteArray &out, const QuestionRecord &record)
{
    appendtext(out, record.question);
    for (const QString &answer : record.answers)
        appendtext(out, answer);
    out.append(static_cast<char>(record.correct));
}

QByteArray encodeheader(const QBookHeader &header)
{
    QByteArray out;
    appendheader(out, header);
    return out;
}

QByteArray encoderecord(const QuestionRecord &record)
{
    QByteArray out;
    appendrecord(out, record);
    return out;
}

quint16 Reader::readu16()
{
    const qint64 at = m_pos;
    m_pos += 2;
    if (at < 0 || at + 2 > size())
        return 0;
    const auto low = static_cast<unsigned char>(m_bytes[at]);
    const auto high = static_cast<unsigned char>(m_bytes[at + 1]);
    return static_cast<quint16>(low | (high << 8));
}

quint8 Reader::readu8()
{
    const qint64 at = m_pos;
    m_pos += 1;
    if (at < 0 || at >= size())
        return 0;
    return static_cast<quint8>(m_bytes[at]);
}

QString Reader::readtext()
{
    const quint16 count = readu16();
    const qint64 at = m_pos;
    // The position moves by the whole count even when the bytes are not there, so that a
    // damaged book still reaches its end and the record loop stops.
    m_pos += count;
    if (count == 0 || at + count > size())
        return {};
    return platform::fromansi(m_bytes.sliced(at, count));
}

QBookHeader Reader::readheader()
{
    QBookHeader header;
    header.category = readtext();
    header.author = readtext();
    header.magic = readtext();
    header.count = static_cast<qint16>(readu16());
    return header;
}

QuestionRecord Reader::readrecord()
{
    QuestionRecord record;
    record.question = readtext();
    for (QString &answer : record.answers)
        answer = readtext();
    record.correct = readu8();
    return record;
}

void Reader::skiprecord()
{
    for (int text = 0; text < 5; ++text) {
        const quint16 count = readu16();
        m_pos += count;
    }
    m_pos += 1;
}

} // namespace qbook
