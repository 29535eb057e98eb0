#pragma once

#include "results/attempt.h"
#include "results/statistics.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <array>
#include <vector>

// The results store: every attempt at every book, in one SQLite file. One Store is one
// connection of this thread; two programs may write the same file at the same time.
namespace results {

// One attempt as the store lists it, without its answers.
struct AttemptRow
{
    QString taker;
    QDateTime started; // in UTC
    QDateTime ended;
    Options options;
    int score = 0;
    int maximum = 0;
    bool finished = false;
};

// What the store knows of one question of a book: one row per question number and text.
struct QuestionRow
{
    int number = 0;
    QByteArray questionhash;
    QuestionCounts counts;
};

class Store
{
public:
    // The file every program of the user shares: results.sqlite in the quiz program's data
    // folder (the same one for the window and qbook).
    [[nodiscard]] static QString defaultpath();

    explicit Store(const QString &path = defaultpath());
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    enum class Mode { Create, ExistingOnly };
    // Opens the file, making it and its folder when missing (Create), checking it and bringing
    // its tables up to date. A damaged file is moved aside and a new one started. False when
    // the file cannot be kept; error() says why.
    [[nodiscard]] bool open(Mode mode = Mode::Create);
    [[nodiscard]] QString error() const { return m_error; }
    // Where a damaged file was moved, when it was.
    [[nodiscard]] QString movedaside() const { return m_movedaside; }
    [[nodiscard]] QString path() const { return m_path; }

    // Keeps the attempt with all its answers in one transaction, opening the file first when
    // needed.
    [[nodiscard]] bool record(const results::Attempt &attempt);

    // The attempts at a book, oldest first.
    [[nodiscard]] std::vector<AttemptRow> attempts(const QByteArray &bookhash);
    // The counts and sums of each question of a book, by number, in one pass over its answers.
    [[nodiscard]] std::vector<QuestionRow> questions(const QByteArray &bookhash);
    // The test's totals over the finished attempts, for the internal consistency.
    [[nodiscard]] TotalSums totals(const QByteArray &bookhash);

private:
    [[nodiscard]] bool opendatabase();
    [[nodiscard]] bool movedamagedaside();
    [[nodiscard]] bool write(const results::Attempt &attempt);
    // Each returns why it failed, or an empty text.
    [[nodiscard]] QString connectdatabase();
    [[nodiscard]] QString migrate();
    [[nodiscard]] bool fail(const QString &reason);
    void close();
    [[nodiscard]] bool damaged() const;

    QString m_path;
    QString m_connection;
    QString m_error;
    QString m_movedaside;
    int m_lasterror = 0;
    bool m_open = false;
};

} // namespace results
