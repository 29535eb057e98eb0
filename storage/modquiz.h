#pragma once

#include "platform/files.h"
#include "storage/qbook.h"
#include "storage/questionlist.h"

#include <QList>
#include <QString>

#include <optional>

// The working state that every window shares, and the routines that move a quiz book
// between its file and that state.
namespace modquiz {

// The state shared by all windows. Question k of the open book is questions[k]; index 0
// never holds a question, and an empty list means no questions at all.
struct WorkingState
{
    QString qbpath;
    QBookHeader qbheader;
    QuestionList questions;
    QuestionRecord workq;
    qint16 curq = 0;
    bool qbchanged = false;
    QuestionRecord deletedq;
    qint16 deletedpos = 0;
    bool dlgok = false;
    bool quizover = false;
    platform::FileHandle bookfile = 0;
    // The book's file as it was when last opened, created or saved by this program, and the
    // path it was taken for.
    std::optional<platform::FileStamp> bookstamp;
    QString bookstamppath;
};

[[nodiscard]] WorkingState &state();

// Back to the start-up values; closes the book file. For tests.
void resetstate();

// Number of questions held: the last index of questions, 0 when empty.
[[nodiscard]] int lastquestion();

// Resizes questions so that its last index is n, keeping what is there; n = 0 empties it.
void resizequestions(int n);

// Opens qbpath as bookfile for reading and writing, creating a missing file.
[[nodiscard]] bool openbook();

// Opens qbpath as bookfile read-only: running a book never writes, so a book the user may
// not change can still be taken.
[[nodiscard]] bool openbookreadonly();

// Opens qbpath as bookfile for editing, or for a run: read-write, or else read-only.
[[nodiscard]] bool openbookfor(bool editing);

// Why loadbook failed: the file could not be read (or memory ran out: nothing is kept then),
// or it holds more questions than a book can (what was read is kept).
enum class LoadFailure { None, Unreadable, TooMany };

// Reads qbheader and every question from bookfile and sets curq: 1, or 0 for a count of 0.
// Showing the book is for the caller. The file is read through a buffer of bounded size; a
// negative count in the file is taken as the number of questions read. On failure *why, when
// given, says why.
[[nodiscard]] bool loadbook(LoadFailure *why = nullptr);

// Reads qbheader alone from the start of bookfile, so that a file can be judged by its type
// mark before its records are read.
[[nodiscard]] bool loadheader();

// Writes qbheader at offset 0 of bookfile.
[[nodiscard]] bool writeheader();

// Writes the whole book to qbpath, replacing the old file only when every byte is written;
// closes bookfile. On failure the old file and the book in memory stay as they were. Only a
// regular file (or a missing one) is replaced, keeping its owner, group and mode.
[[nodiscard]] bool savebook();

// True when the file at qbpath is not the one this program last opened, created or saved
// there: another program wrote or replaced it. A missing file has nothing to lose: false.
[[nodiscard]] bool changedondisk();

// How many texts of the book are longer than a file can hold, and would be cut by a save.
[[nodiscard]] int overlongtexts();

// Closes bookfile; closing a closed one does nothing.
void closebook();

// Reads the header of the file at path through a second, read-only handle into qbheader
// (texts emptied first). False when the file cannot be opened (qbheader unchanged) or read.
// A negative count is replaced by the number of records the file holds.
[[nodiscard]] bool previewheader(const QString &path);

// The complete header stored at the start of the file at path, read through a second,
// read-only handle; nothing when the file cannot be read or is too short to hold a header.
[[nodiscard]] std::optional<QBookHeader> storedheader(const QString &path);

// Parses a whole book file: the header, then records while at least two unread bytes remain
// (none when count is 0). questions comes out as the working state holds it: empty, or index 0
// unused and the records at 1..N. False when it holds more than qbook::maxquestions records;
// header and questions then hold what was read.
[[nodiscard]] bool parsebook(QByteArrayView bytes, QBookHeader &header,
                             QList<QuestionRecord> &questions);

// A book as the loader reads it, for the tools that look at a file without opening it as the
// working book.
struct BookFile
{
    QBookHeader header;
    QuestionList questions; // as the working state holds them: index 0 unused
    bool complete = true;   // false past the most questions a book can hold
    int hidden = 0;         // records that a stored count of 0 hides from the loader
    // A book through and through: a header, then whole records up to the last byte (a count of
    // 0 hides what follows it). A file of another kind practically never is.
    bool whole = false;
};

// The most bytes a book's header and records can take.
constexpr qint64 maxbookbytes =
    3 * (2 + 65535) + 2 + (qbook::maxquestions + 1) * qint64(5 * (2 + 65535) + 1);

// The file at path read through a read-only handle and the loader's bounded buffer, so that a
// huge file costs no more than the questions a book can hold. Nothing when it is not a regular
// file, cannot be read, or needs more memory than there is; *why then says why.
[[nodiscard]] std::optional<BookFile> readbookfile(const QString &path, QString *why = nullptr);

// The same from the bytes of a whole file.
[[nodiscard]] std::optional<BookFile> readbookbytes(QByteArrayView bytes);

// The bytes of a whole book with the header's count set to the number of questions; questions
// as the working state holds them (index 0 is not written), or from first on. Empty optional when
// there are more than qbook::maxquestions questions.
[[nodiscard]] std::optional<QByteArray> serializebook(const QBookHeader &header,
                                                      const QList<QuestionRecord> &questions);
[[nodiscard]] std::optional<QByteArray>
serializebook(const QBookHeader &header, const QuestionList &questions, qsizetype first = 1);

} // namespace modquiz
