// The results store: keeping a finished run of the largest book, the Results window's data and
// the window itself for 10,000 attempts of a 100-question book, and the bytes an answer takes.
#include "results/store.h"
#include "ui/results/frmresults.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QList<QuestionRecord> makebook(int count)
{
    QList<QuestionRecord> book(1);
    for (int n = 1; n <= count; ++n) {
        QuestionRecord question;
        question.question = QStringLiteral("Question number %1 of the book?").arg(n);
        for (int i = 0; i < 4; ++i)
            question.answers[i] = QStringLiteral("Answer %1 to question %2").arg(i + 1).arg(n);
        question.correct = quint8(n % 4 + 1);
        book.append(question);
    }
    return book;
}

results::Attempt attemptof(const QList<QuestionRecord> &book, const QList<QByteArray> &hashes,
                           const QString &taker, QRandomGenerator &random, qint64 when)
{
    results::Attempt attempt;
    attempt.bookhash = results::bookhash(book, true);
    attempt.bookpath = QStringLiteral("/home/user/book.Q");
    attempt.taker = taker;
    attempt.started = QDateTime::fromMSecsSinceEpoch(when);
    attempt.ended = attempt.started.addSecs(600);
    attempt.finished = true;
    attempt.maximum = 10 * int(book.size() - 1);
    attempt.answers.reserve(size_t(book.size()));
    for (int n = 1; n < book.size(); ++n) {
        const auto outcome = results::Outcome(random.bounded(1, 5));
        const char right = char('A' + book[n].correct - 1);
        const char wrong = char('A' + (book[n].correct % 4));
        results::Answer answer{
            n, hashes[n], outcome == results::Outcome::RightFirst ? right : wrong,
            0, outcome,   2 + random.bounded(28.0)};
        if (outcome == results::Outcome::RightSecond)
            answer.second = right;
        attempt.score += outcome == results::Outcome::RightFirst    ? 10
                         : outcome == results::Outcome::RightSecond ? 5
                                                                    : 0;
        attempt.answers.push_back(answer);
    }
    return attempt;
}

QList<QByteArray> hashesof(const QList<QuestionRecord> &book)
{
    QList<QByteArray> hashes(1);
    for (int n = 1; n < book.size(); ++n)
        hashes.append(results::questionhash(book[n]));
    return hashes;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // A folder named on the command line keeps the 10,000 attempts for the next start.
    QTemporaryDir temporary;
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : temporary.path());
    QRandomGenerator random(1);

    {
        const QList<QuestionRecord> book = makebook(32766);
        const QList<QByteArray> hashes = hashesof(book);
        QFile::remove(folder.filePath(QStringLiteral("largest.sqlite")));
        results::Store store(folder.filePath(QStringLiteral("largest.sqlite")));
        if (!store.open())
            return 1;
        for (int run = 1; run <= 3; ++run) {
            const results::Attempt attempt = attemptof(book, hashes, "me", random, run * 1000);
            QElapsedTimer timer;
            timer.start();
            if (!store.record(attempt))
                return 1;
            std::printf("record a finished run of 32,766 questions (run %d): %lld ms\n", run,
                        timer.elapsed());
        }
        QElapsedTimer timer;
        timer.start();
        const QByteArray hash = results::bookhash(book, true);
        std::printf("name the largest book by its questions: %lld ms\n", timer.elapsed());
        (void)hash;
    }

    const QList<QuestionRecord> book = makebook(100);
    const QList<QByteArray> hashes = hashesof(book);
    const QString path = folder.filePath(QStringLiteral("results.sqlite"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.absolutePath()));
    const QString shared = results::Store::defaultpath();
    if (!QFileInfo::exists(shared)) {
        results::Store store(shared);
        QElapsedTimer timer;
        timer.start();
        for (int k = 0; k < 10000; ++k) {
            if (!store.record(attemptof(book, hashes, QStringLiteral("taker %1").arg(k % 30),
                                        random, 1700000000000LL + k * 60000LL)))
                return 1;
        }
        std::printf("record 10,000 runs of 100 questions: %lld ms\n", timer.elapsed());
    }
    {
        // The write-ahead log folded back into the file, so that its size is the store's.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "size");
        db.setDatabaseName(shared);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
    }
    QSqlDatabase::removeDatabase("size");
    const qint64 bytes = QFileInfo(shared).size();
    std::printf("store of 1,000,000 answers: %lld bytes, %.1f bytes per answer\n", bytes,
                bytes / 1e6);

    for (int round = 1; round <= 2; ++round) {
        QElapsedTimer timer;
        timer.start();
        results::Store store(shared);
        const QByteArray hash = results::bookhash(book, true);
        if (!store.open())
            return 1;
        const qint64 opened = timer.elapsed();
        const auto attempts = store.attempts(hash);
        const qint64 listed = timer.elapsed();
        const auto questions = store.questions(hash);
        const qint64 figured = timer.elapsed();
        const auto totals = store.totals(hash);
        const qint64 data = timer.elapsed();
        std::printf("open %lld ms, attempts %lld ms, questions %lld ms, totals %lld ms\n", opened,
                    listed - opened, figured - listed, data - figured);
        timer.restart();
        frmresults window(nullptr, path, book);
        window.show();
        QApplication::processEvents();
        std::printf("round %d: window's data for %zu attempts, %zu questions: %lld ms; the window "
                    "with its own data, built and shown: %lld ms\n",
                    round, attempts.size(), questions.size(), data, timer.elapsed());
        (void)totals;
    }
    return 0;
}
