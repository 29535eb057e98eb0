#pragma once

#include "interchange/interchange.h"

#include <QStringView>

// What the readers and writers of every format share. Not part of the layer's interface.
namespace interchange::detail {

// Tells a progress how far the work is, a few hundred times over the whole of it at most, and
// remembers when it asked to stop.
class Pacer
{
public:
    explicit Pacer(const Progress &progress) : m_progress(progress) {}

    // False once the progress asked to stop.
    bool at(qint64 done, qint64 total)
    {
        if (m_stopped || !m_progress || (done < m_next && done < total))
            return !m_stopped;
        m_next = done + total / 256 + 1;
        m_stopped = !m_progress(done, total);
        return !m_stopped;
    }
    [[nodiscard]] bool stopped() const { return m_stopped; }

private:
    const Progress &m_progress;
    qint64 m_next = 0;
    bool m_stopped = false;
};

// Gathers the questions of an import and applies the limits of a book to them: characters
// a book cannot hold, texts too long for it, and the most questions it can take.
class BookBuilder
{
public:
    BookBuilder(ImportResult &result, const Progress &progress)
        : m_result(result), m_pacer(progress)
    {}

    // Adds a question found at line (answers: 0 to 4 slots, the rest stay empty; correct as
    // stored). One with fewer than two answers, or whose right answer is an empty slot, is
    // skipped and reported, where put before the reason. False when the book was already
    // full: the question is not added, that is reported, and the reader stops.
    bool add(int line, const QString &question, const QStringList &answers, int correct,
             const QString &where = {});
    [[nodiscard]] bool full() const { return m_full; }
    // Whether the reader goes on, having read done of total units of its input: not once the
    // book is full or the progress asked to stop, which marks the result stopped.
    bool going(qint64 done, qint64 total)
    {
        m_result.stopped = !m_pacer.at(done, total);
        return !m_full && !m_result.stopped;
    }
    [[nodiscard]] bool ended() const { return m_full || m_result.stopped; }

    // A category found at line. A book has one: the first that names one is kept and any
    // other is reported.
    void setcategory(int line, const QString &name);

    void report(int line, const QString &reason);
    // Reports reason only the first time it is given with this key.
    void reportonce(int key, int line, const QString &reason);

private:
    ImportResult &m_result;
    Pacer m_pacer;
    quint32 m_reported = 0;
    bool m_full = false;
};

// Keys for BookBuilder::reportonce.
enum OnceKey { OnceEncoding = 1, OnceFeedback = 2 };

// The text of a file: UTF-16 or UTF-32 when a byte-order mark says so, else UTF-8 (its mark
// dropped); text that is not UTF-8 read as Windows-1252, which is reported.
[[nodiscard]] QString decodefile(QByteArrayView data, BookBuilder &builder);

// What a book stores of text: its characters in Windows-1252 ('?' for any other, each added to
// lost), no control characters but tab and line breaks, at most qbook::maxtextbytes of them.
[[nodiscard]] QString storable(const QString &text, QString &lost, bool &control, bool &cut);

// The report of characters a book cannot hold, each named with its code.
[[nodiscard]] QString outsidecodepage(const QString &characters);

// What reducing HTML to text left out, as flags.
enum HtmlLoss { LostImage = 1, LostSound = 2 };

// HTML reduced to plain text: tags dropped, entities decoded, white space collapsed as a
// browser does except inside <pre>, <br> and the ends of paragraphs, list items, headings and
// rows as line breaks (CR LF, as a book holds them). Images and sounds left out are added to
// lost.
[[nodiscard]] QString htmltotext(QStringView html, int *lost = nullptr);
// Reports what lost names at line.
void reportlost(BookBuilder &builder, int line, int lost);

// The last part of a category path such as "$course$/top/Maths": "//" stands for a "/" inside
// a part, and "$name$" parts are dropped with the "top" that follows one.
[[nodiscard]] QString categoryname(QStringView path);
// A category as one part of a path ("/" doubled).
[[nodiscard]] QString categorypart(const QString &category);

// Whether a category written as one part of a path reads back the same.
[[nodiscard]] bool categoryreadsback(const QString &category);

// The answer slots a writer puts out: up to the last filled one, but at least two and at
// least up to the right one, so that reading them back gives the same four slots.
[[nodiscard]] int slotsused(const QuestionRecord &record);

// Whether correct names one of the four slots.
[[nodiscard]] inline bool hasrightanswer(const QuestionRecord &record)
{
    return record.correct >= 1 && record.correct <= 4;
}

// Whether a writer puts the question out: one whose answers break the rule for a sound
// question is reported instead.
[[nodiscard]] bool writable(const QuestionRecord &record, int number, ExportResult &result);

// The 1-based line number of an offset into text.
[[nodiscard]] int lineat(QStringView text, qsizetype offset);

// Reasons shared by several formats.
[[nodiscard]] QString norightanswer(int correct);

// An import of a text format by its reader, whose read() takes the decoded text. The bytes are
// let go once decoded.
template <typename Reader> ImportResult readtext(QByteArray &data, const Progress &progress)
{
    ImportResult result;
    BookBuilder builder(result, progress);
    const QString text = decodefile(data, builder);
    data = QByteArray();
    Reader(builder).read(text);
    return result;
}

// The readers of the formats; those that can let the bytes go once decoded do so.
// Each reader tells the progress how far it is and stops when asked to.
ImportResult readgift(QByteArray &data, const Progress &progress);
ImportResult readaiken(QByteArray &data, const Progress &progress);
ImportResult readmoodlexml(QByteArrayView data, const Progress &progress);
ImportResult readcsv(QByteArray &data, const Progress &progress);
ImportResult readjson(QByteArray &data, const Progress &progress);

// Each writer tells the pacer the questions it has written and returns as soon as it says stop.
using Questions = QuestionList;
ExportResult writegift(const QBookHeader &header, const Questions &questions, Pacer &pacer);
ExportResult writeaiken(const QBookHeader &header, const Questions &questions, Pacer &pacer);
ExportResult writemoodlexml(const QBookHeader &header, const Questions &questions, Pacer &pacer);
ExportResult writecsv(const QBookHeader &header, const Questions &questions, Pacer &pacer);
ExportResult writejson(const QBookHeader &header, const Questions &questions, Pacer &pacer);

// The line of text that starts at pos, without its end ("\r\n", "\n", or "\r" as old Mac
// files end lines); pos moves to the start of the next line.
[[nodiscard]] QStringView nextline(QStringView text, qsizetype &pos);

} // namespace interchange::detail
