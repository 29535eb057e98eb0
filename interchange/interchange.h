#pragma once

#include "storage/qbook.h"
#include "storage/questionlist.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <functional>
#include <optional>

// Moving questions between a quiz book and the plain formats that teachers and learning
// platforms exchange: GIFT, Aiken, Moodle XML, CSV and JSON. Qt Core only.
namespace interchange {

enum class Format { Gift, Aiken, MoodleXml, Csv, Json };

// Every format, in the order the file lists show them.
inline constexpr std::array allformats = {Format::Gift, Format::Aiken, Format::MoodleXml,
                                          Format::Csv, Format::Json};

// One thing a reader or writer could not carry over as it stood: skipped, changed or cut.
// line is the line of the source file (readers) or the question number (writers), 0 for the
// whole file.
struct Problem
{
    int line = 0;
    QString reason;

    friend bool operator==(const Problem &, const Problem &) = default;
};

// How far an import or export is, done of total (units of the input read, questions written),
// told now and then on the thread that does the work; returning false asks the work to stop.
using Progress = std::function<bool(qint64 done, qint64 total)>;

// A book read from another format. questions holds the records at 0..N-1 (no unused slot), as
// compact as a loaded book; category and author are empty when the source does not say them.
// An import stopped by its progress holds nothing but stopped.
struct ImportResult
{
    QString category;
    QString author;
    QuestionList questions;
    QList<Problem> problems;
    bool stopped = false;
};

// An export stopped by its progress holds no data and is not to be written.
struct ExportResult
{
    QByteArray data;
    QList<Problem> problems;
    bool stopped = false;
};

// The format named by a word ("gift", "aiken", "xml", "csv", "json", any case).
[[nodiscard]] std::optional<Format> formatfromname(const QString &name);
// The format of a file by its extension (.gift; .aiken and .txt as Aiken, though a .txt file
// may hold GIFT, see formatbycontent; .xml, .csv, .json).
[[nodiscard]] std::optional<Format> formatfrompath(const QString &path);
// Whether a file's extension leaves its format to its content: .txt, which GIFT and Aiken
// files both carry.
[[nodiscard]] bool formatbycontent(const QString &path);
// GIFT or Aiken by what a text file holds: GIFT's answers in braces, "::" titles and
// "$CATEGORY:" lines against Aiken's "ANSWER:" lines; Aiken when neither outweighs.
[[nodiscard]] Format textformat(QByteArrayView data);
// Name, file extension (without the dot) and file-dialog filter of each format.
[[nodiscard]] QString formatname(Format format);
[[nodiscard]] QString formatextension(Format format);
[[nodiscard]] QString formatfilter(Format format);

// The largest file an import reads: far more than a book's 32,766 questions take in any of
// the formats, and little enough to parse in memory.
inline constexpr qint64 maxfilebytes = 256 * 1024 * 1024;

// Reads a whole file's bytes. Never fails: what cannot be read is reported in problems. The
// bytes are taken over and let go as soon as they are decoded, so that a caller that moves
// them in does not hold a big file twice.
[[nodiscard]] ImportResult importbook(QByteArray data, Format format,
                                      const Progress &progress = {});

// The bytes of a quiz book that holds what was imported, under its category and author;
// nothing when there are more questions than a book can hold.
[[nodiscard]] std::optional<QByteArray> bookbytes(const ImportResult &imported);

// A category or author as a book stores it, for texts that come from elsewhere than the file
// (the command line). What changes is added to problems at line 0 as "what: reason".
[[nodiscard]] QString fittext(const QString &text, const QString &what, QList<Problem> &problems);

// Writes the book (questions at 0..N-1) in the format.
[[nodiscard]] ExportResult exportbook(const QBookHeader &header, const QuestionList &questions,
                                      Format format, const Progress &progress = {});

// A count for the reports of an import or export: "1 question", "2 questions".
[[nodiscard]] QString counted(qsizetype n, const QString &singular, const QString &plural);
[[nodiscard]] QString nquestions(qsizetype n);

} // namespace interchange
