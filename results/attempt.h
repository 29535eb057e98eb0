#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <vector>

struct QuestionRecord;

// One taking of a book, as the results store keeps it: who took it, when, with which options,
// and how each question it asked ended. Runs at this desktop and a class's students both end
// as attempts.
namespace results {

// How one asked question ended.
enum class Outcome { RightFirst = 1, RightSecond = 2, Wrong = 3, Skipped = 4 };

struct Answer
{
    int question = 0;        // the question's number in the book, from 1
    QByteArray questionhash; // questionhash() of its texts when it was asked
    char first = 0;          // the book letter ('A' to 'D') of the first choice, 0 for none
    char second = 0;         // and of the second choice
    Outcome outcome = Outcome::Skipped;
    double seconds = 0; // from showing the question to its last choice
};

struct Options
{
    bool onechance = false;
    bool shufflequestions = false;
    bool shuffleanswers = false;
    bool review = false; // a round of the questions missed before

    friend bool operator==(const Options &, const Options &) = default;
};

struct Attempt
{
    QByteArray bookhash; // bookhash() of the questions taken
    QString bookpath;    // where the book was, as last seen
    QString category;
    QString taker; // the login name at this desktop, or a student's name in a class
    QDateTime started;
    QDateTime ended;
    Options options;
    int score = 0;
    int maximum = 0;
    bool finished = false; // false: abandoned before the last question
    std::vector<Answer> answers;
};

// Names a book by its questions (texts and right answers, in order), so a moved or renamed
// book keeps its history. questions[0] is not a question, as in the working state, when
// skipfirst is true.
[[nodiscard]] QByteArray bookhash(const QList<QuestionRecord> &questions, bool skipfirst);
// Names one question by its texts, so a changed question is told from the one asked before.
[[nodiscard]] QByteArray questionhash(const QuestionRecord &question);
// One cell of the results as CSV: a text a spreadsheet would take for a formula goes out behind
// an apostrophe (numbers stay numbers), and a cell with a comma, quote or line break is quoted.
[[nodiscard]] QString csvcell(const QString &text);
// The login name of the user running this program.
[[nodiscard]] QString loginname();

} // namespace results
