#pragma once

#include "storage/qbook.h"

#include <QByteArray>
#include <QList>

#include <deque>

// The questions of the open book, held as the file holds them: the records' bytes, decoded
// when a question is read, so a loaded book takes about the room of its file. A record whose
// texts the code page cannot hold exactly (or longer than a file's text) is kept decoded
// instead, so nothing typed is changed before it is saved. Index 0 holds no question, as in
// the working state; reads return copies, changes go through set, insert and removeAt.
class QuestionList
{
public:
    QuestionList() = default;
    // NOLINTNEXTLINE: converts, so that a list of records can be assigned as before
    QuestionList(const QList<QuestionRecord> &records);
    // A decoded copy, for code that takes a list of records.
    // NOLINTNEXTLINE
    operator QList<QuestionRecord>() const { return mid(0); }

    [[nodiscard]] qsizetype size() const { return m_slots.size(); }
    [[nodiscard]] bool isEmpty() const { return m_slots.isEmpty(); }
    void clear();
    // Room for n records of bytes bytes in all.
    void reserve(qsizetype n, qsizetype bytes = 0)
    {
        m_slots.reserve(n);
        m_bytes.reserve(bytes);
    }
    // Empty records up to size n, or the list cut to n.
    void resize(qsizetype n);

    [[nodiscard]] QuestionRecord at(qsizetype k) const;
    [[nodiscard]] QuestionRecord operator[](qsizetype k) const { return at(k); }
    [[nodiscard]] QuestionRecord last() const { return at(size() - 1); }
    // Record k decoded for good, to be changed in place; the reference stays valid until the
    // list is cleared or assigned. Prefer set().
    QuestionRecord &operator[](qsizetype k);
    // Records pos to the end (or length of them), decoded.
    [[nodiscard]] QList<QuestionRecord> mid(qsizetype pos, qsizetype length = -1) const;

    void set(qsizetype k, const QuestionRecord &record);
    void insert(qsizetype k, const QuestionRecord &record);
    void append(const QuestionRecord &record);
    void emplace_back() { append(QuestionRecord()); }
    QuestionList &operator+=(const QList<QuestionRecord> &records);
    void removeAt(qsizetype k);

    // Appends a record given as its bytes in a file, whole; kept as they are when they are what
    // writing the record gives.
    void appendrecordbytes(QByteArrayView record);
    // Appends record k's bytes in a file to out, as qbook::appendrecord does.
    void appendrecordto(QByteArray &out, qsizetype k) const;
    // At least the bytes appendrecordto() appends for record k.
    [[nodiscard]] qsizetype recordbound(qsizetype k) const;
    // Bytes the list holds for its records, not counting the decoded ones' texts.
    [[nodiscard]] qsizetype heldbytes() const;

    friend bool operator==(const QuestionList &a, const QuestionList &b);
    friend bool operator==(const QuestionList &a, const QList<QuestionRecord> &b);

private:
    // A slot is an offset in m_bytes, or -1 - an index in m_decoded.
    [[nodiscard]] qint64 slotfor(const QuestionRecord &record);
    void compact();

    QByteArray m_bytes;
    QList<qint64> m_slots;
    std::deque<QuestionRecord> m_decoded;
    qsizetype m_unused = 0; // bytes of records that were replaced or removed
};
