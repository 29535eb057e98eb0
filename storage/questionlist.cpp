#include "storage/questionlist.h"

namespace {

// The size of the record at the start of bytes, when it is all there and each text is short
// enough to be written back as it is; 0 otherwise.
qsizetype wholerecord(QByteArrayView bytes)
{
    qsizetype pos = 0;
    for (int text = 0; text < 5; ++text) {
        if (pos + 2 > bytes.size())
            return 0;
        const int count = static_cast<quint8>(bytes[pos]) | static_cast<quint8>(bytes[pos + 1])
                                                                << 8;
        if (count > qbook::maxtextbytes)
            return 0;
        pos += 2 + count;
    }
    return pos + 1 <= bytes.size() ? pos + 1 : 0;
}

} // namespace

QuestionList::QuestionList(const QList<QuestionRecord> &records)
{
    m_slots.reserve(records.size());
    for (const QuestionRecord &record : records)
        append(record);
}

void QuestionList::clear()
{
    m_bytes.clear();
    m_slots.clear();
    m_decoded.clear();
    m_unused = 0;
}

void QuestionList::resize(qsizetype n)
{
    while (size() > n)
        removeAt(size() - 1);
    while (size() < n)
        append(QuestionRecord());
}

QuestionRecord QuestionList::at(qsizetype k) const
{
    const qint64 slot = m_slots.at(k);
    if (slot < 0)
        return m_decoded[static_cast<size_t>(-1 - slot)];
    qbook::Reader reader(QByteArrayView(m_bytes).sliced(slot));
    return reader.readrecord();
}

QuestionRecord &QuestionList::operator[](qsizetype k)
{
    qint64 &slot = m_slots[k];
    if (slot >= 0) {
        m_decoded.push_back(at(k));
        m_unused += wholerecord(QByteArrayView(m_bytes).sliced(slot));
        slot = -static_cast<qint64>(m_decoded.size());
    }
    return m_decoded[static_cast<size_t>(-1 - slot)];
}

QList<QuestionRecord> QuestionList::mid(qsizetype pos, qsizetype length) const
{
    const qsizetype end = length < 0 ? size() : std::min(size(), pos + length);
    QList<QuestionRecord> records;
    records.reserve(std::max<qsizetype>(0, end - pos));
    for (qsizetype k = pos; k < end; ++k)
        records.append(at(k));
    return records;
}

qint64 QuestionList::slotfor(const QuestionRecord &record)
{
    const qsizetype start = m_bytes.size();
    qbook::appendrecord(m_bytes, record);
    const QByteArrayView written = QByteArrayView(m_bytes).sliced(start);
    if (wholerecord(written) == written.size() && qbook::Reader(written).readrecord() == record)
        return start;
    m_bytes.truncate(start);
    m_decoded.push_back(record);
    return -static_cast<qint64>(m_decoded.size());
}

void QuestionList::set(qsizetype k, const QuestionRecord &record)
{
    const qint64 old = m_slots.at(k);
    if (old >= 0)
        m_unused += wholerecord(QByteArrayView(m_bytes).sliced(old));
    else
        m_decoded[static_cast<size_t>(-1 - old)] = QuestionRecord();
    m_slots[k] = slotfor(record);
    compact();
}

void QuestionList::insert(qsizetype k, const QuestionRecord &record)
{
    m_slots.insert(k, slotfor(record));
}

void QuestionList::append(const QuestionRecord &record)
{
    m_slots.append(slotfor(record));
}

QuestionList &QuestionList::operator+=(const QList<QuestionRecord> &records)
{
    for (const QuestionRecord &record : records)
        append(record);
    return *this;
}

void QuestionList::removeAt(qsizetype k)
{
    const qint64 old = m_slots.at(k);
    if (old >= 0)
        m_unused += wholerecord(QByteArrayView(m_bytes).sliced(old));
    else
        m_decoded[static_cast<size_t>(-1 - old)] = QuestionRecord();
    m_slots.removeAt(k);
    compact();
}

void QuestionList::appendrecordbytes(QByteArrayView record)
{
    if (wholerecord(record) != record.size()) {
        append(qbook::Reader(record).readrecord());
        return;
    }
    m_slots.append(m_bytes.size());
    m_bytes.append(record);
}

void QuestionList::appendrecordto(QByteArray &out, qsizetype k) const
{
    const qint64 slot = m_slots.at(k);
    if (slot < 0) {
        qbook::appendrecord(out, m_decoded[static_cast<size_t>(-1 - slot)]);
        return;
    }
    const QByteArrayView bytes = QByteArrayView(m_bytes).sliced(slot);
    out.append(bytes.first(wholerecord(bytes)));
}

qsizetype QuestionList::recordbound(qsizetype k) const
{
    const qint64 slot = m_slots.at(k);
    if (slot >= 0)
        return wholerecord(QByteArrayView(m_bytes).sliced(slot));
    // A text never needs more bytes than it has UTF-16 units.
    const QuestionRecord &record = m_decoded[static_cast<size_t>(-1 - slot)];
    qsizetype n = 2 + record.question.size() + 1;
    for (const QString &answer : record.answers)
        n += 2 + answer.size();
    return n;
}

qsizetype QuestionList::heldbytes() const
{
    return m_bytes.capacity() + m_slots.capacity() * qsizetype(sizeof(qint64)) +
           qsizetype(m_decoded.size() * sizeof(QuestionRecord));
}

// Replaced records' bytes are let go once they are as many as the rest: a few copies of the
// book's bytes over many edits, each edit still quick.
void QuestionList::compact()
{
    if (m_unused < 65536 || m_unused * 2 < m_bytes.size())
        return;
    QByteArray bytes;
    bytes.reserve(m_bytes.size() - m_unused);
    for (qint64 &slot : m_slots) {
        if (slot < 0)
            continue;
        const QByteArrayView record = QByteArrayView(m_bytes).sliced(slot);
        const qint64 start = bytes.size();
        bytes.append(record.first(wholerecord(record)));
        slot = start;
    }
    m_bytes = std::move(bytes);
    m_unused = 0;
}

namespace {

template <typename List> bool samerecords(const QuestionList &a, const List &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype k = 0; k < a.size(); ++k) {
        if (a.at(k) != b.at(k))
            return false;
    }
    return true;
}

} // namespace

bool operator==(const QuestionList &a, const QuestionList &b)
{
    return samerecords(a, b);
}

bool operator==(const QuestionList &a, const QList<QuestionRecord> &b)
{
    return samerecords(a, b);
}
