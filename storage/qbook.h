#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// The records of a quiz book file and their byte layout: little-endian numbers and counted
// texts (a 16-bit byte count, then that many bytes in Windows-1252).

// Header of a quiz book, at offset 0 of the file.
struct QBookHeader
{
    QString category;
    QString author;
    QString magic;
    qint16 count = 0; // questions in the file as of the last save

    friend bool operator==(const QBookHeader &, const QBookHeader &) = default;
};

// One question with its four answers; correct is 1 to 4 in a sound book.
struct QuestionRecord
{
    QString question;
    std::array<QString, 4> answers;
    quint8 correct = 0;

    friend bool operator==(const QuestionRecord &, const QuestionRecord &) = default;
};

namespace qbook {

// The mark of every book the program writes.
inline constexpr char magicmark[] = "QB";

// A text longer than this many bytes is cut to it when written.
inline constexpr int maxtextbytes = 32767;

// The most questions a book can hold.
inline constexpr int maxquestions = 32766;

// Appends the counted text, header or record to out.
void appendtext(QByteArray &out, const QString &text);
void appendheader(QByteArray &out, const QBookHeader &header);
void appendrecord(QByteArray &out, const QuestionRecord &record);

[[nodiscard]] QByteArray encodeheader(const QBookHeader &header);
[[nodiscard]] QByteArray encoderecord(const QuestionRecord &record);

// Reads records from bytes one after another. Reading partly or wholly past the end gives
// empty texts and zero numbers; it never fails. Counts are unsigned (0 to 65,535).
class Reader
{
public:
    explicit Reader(QByteArrayView bytes) : m_bytes(bytes) {}

    [[nodiscard]] QString readtext();
    [[nodiscard]] QBookHeader readheader();
    [[nodiscard]] QuestionRecord readrecord();
    // Moves past a record as readrecord() does, without decoding it.
    void skiprecord();

    // Offset of the next unread byte (may pass the end after a short read).
    [[nodiscard]] qint64 position() const { return m_pos; }
    [[nodiscard]] qint64 size() const { return m_bytes.size(); }

private:
    [[nodiscard]] quint16 readu16();
    [[nodiscard]] quint8 readu8();

    QByteArrayView m_bytes;
    qint64 m_pos = 0;
};

} // namespace qbook
