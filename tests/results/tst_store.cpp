#include "results/store.h"

#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace results;

namespace {

const QByteArray book = QByteArrayLiteral("0123456789abcdef0123456789abcdef");

// An attempt at a three-question book; a wrong first choice is always B.
Attempt attemptof(const QString &taker, const std::vector<Outcome> &outcomes)
{
    Attempt attempt;
    attempt.bookhash = book;
    attempt.bookpath = QStringLiteral("/books/three.Q");
    attempt.taker = taker;
    attempt.started = QDateTime::currentDateTime();
    attempt.ended = attempt.started.addSecs(30);
    attempt.finished = true;
    attempt.maximum = 30;
    int number = 0;
    for (Outcome outcome : outcomes) {
        Answer answer{++number,
                      QByteArray::number(number).repeated(16).left(16),
                      outcome == Outcome::RightFirst ? 'A' : 'B',
                      0,
                      outcome,
                      2.5};
        if (outcome == Outcome::RightSecond)
            answer.second = 'A';
        attempt.score += outcome == Outcome::RightFirst    ? 10
                         : outcome == Outcome::RightSecond ? 5
                                                           : 0;
        attempt.answers.push_back(answer);
    }
    return attempt;
}

int attemptcount(const QString &path)
{
    Store store(path);
    return int(store.attempts(book).size());
}

} // namespace

// The store keeps every attempt of every program writing it, whatever happens to them, and
// steps aside when its file cannot be kept.
class tst_store : public QObject
{
    Q_OBJECT

private slots:
    void figuresofworkedexample();
    void refusedfile_data();
    void refusedfile();
    void damagedfilemovedaside();
    void twoprogramswriting();
    void killedwhilewriting();
};

void tst_store::figuresofworkedexample()
{
    // The worked example of tst_statistics, kept and summed by the database.
    TestEnvironment environment;
    Store store;
    const auto R = Outcome::RightFirst, W = Outcome::Wrong;
    QVERIFY(store.record(attemptof("one", {R, R, R})));
    QVERIFY(store.record(attemptof("two", {R, W, R})));
    QVERIFY(store.record(attemptof("three", {W, R, W})));
    QVERIFY(store.record(attemptof("four", {W, W, Outcome::RightSecond})));
    QVERIFY(QFile::exists(environment.datafolder() + "/Quiz/results.sqlite"));
    const std::vector<AttemptRow> attempts = store.attempts(book);
    QCOMPARE(attempts.size(), 4u);
    QCOMPARE(attempts[3].taker, QStringLiteral("four"));
    QCOMPARE(attempts[3].score, 5);
    std::vector<QuestionRow> rows = store.questions(book);
    QCOMPARE(rows.size(), 3u);
    std::vector<QuestionCounts> counts;
    for (const QuestionRow &row : rows)
        counts.push_back(row.counts);
    const QuestionFigures third = figures(counts[2]);
    QCOMPARE(third.facility, 50.0);
    QCOMPARE(third.rightpercent, 75.0);
    QCOMPARE(third.mostwrong, 'B');
    QCOMPARE(third.mostwrongcount, 2);
    QCOMPARE(third.meanseconds, 2.5);
    // The fourth taker's half point changes Q3 from the hand example: recomputed from the table.
    TotalSums totals;
    const std::vector<QuestionCounts> expected =
        itemsums({{1, 1, 1}, {1, 0, 1}, {0, 1, 0}, {0, 0, 0.5}}, totals);
    for (int q = 0; q < 3; ++q)
        QCOMPARE(figures(counts[q]).discrimination.value_or(9),
                 figures(expected[q]).discrimination.value_or(9));
    QCOMPARE(cronbachalpha(counts, store.totals(book)).value_or(9),
             cronbachalpha(expected, totals).value_or(9));
}

void tst_store::refusedfile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder is a file") << "file"
                                      << "cannot make the folder %1/Quiz";
    QTest::newRow("device") << "device"
                            << "%1/Quiz/results.sqlite is not a regular file";
    QTest::newRow("link to a device") << "link"
                                      << "%1/Quiz/results.sqlite is not a regular file";
    QTest::newRow("pipe") << "fifo"
                          << "%1/Quiz/results.sqlite is not a regular file";
}

void tst_store::refusedfile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    TestEnvironment environment;
    const QString folder = environment.datafolder() + "/Quiz";
    const QString file = folder + "/results.sqlite";
    if (kind == "file") {
        QFile(folder).open(QIODevice::WriteOnly);
    } else {
        QDir().mkpath(folder);
        if (kind == "device")
            QVERIFY(makedevice(file));
        if (kind == "fifo")
            QVERIFY(makefifo(file));
        if (kind == "link") {
            QVERIFY(makedevice(environment.path("null")));
            QVERIFY(QFile::link(environment.path("null"), file));
        }
    }
    Store store;
    QVERIFY(!store.record(attemptof("one", {Outcome::RightFirst})));
    QCOMPARE(store.error(), reason.arg(environment.datafolder()));
}

void tst_store::damagedfilemovedaside()
{
    TestEnvironment environment;
    const QString file = Store::defaultpath();
    QDir().mkpath(QFileInfo(file).path());
    QFile damaged(file);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();

    Store store;
    QVERIFY(store.record(attemptof("one", {Outcome::RightFirst})));
    QVERIFY(store.movedaside().startsWith(file + ".damaged-20"));
    QCOMPARE(filebytes(store.movedaside()), QByteArray(8192, 'x'));
    QCOMPARE(store.attempts(book).size(), 1u);
}

void tst_store::twoprogramswriting()
{
    TestEnvironment environment;
    constexpr int each = 40;
    const QString file = Store::defaultpath();
    const auto writer = [file](const QString &taker, bool *ok) {
        Store store(file);
        for (int k = 0; k < each; ++k)
            *ok = store.record(attemptof(taker, {Outcome::RightFirst, Outcome::Wrong})) && *ok;
    };
    bool first = true, second = true;
    std::thread other(writer, QStringLiteral("other"), &second);
    writer(QStringLiteral("this"), &first);
    other.join();
    QVERIFY(first && second);
    QCOMPARE(attemptcount(file), 2 * each);
}

void tst_store::killedwhilewriting()
{
    TestEnvironment environment;
    const QString file = Store::defaultpath();
    QVERIFY(Store(file).open());
    const pid_t child = fork();
    if (child == 0) {
        Store store(file);
        const Attempt big = attemptof("child", std::vector<Outcome>(3000, Outcome::Wrong));
        while (store.record(big)) {
        }
        _exit(1);
    }
    QVERIFY(child > 0);
    int seen = 0;
    while (seen < 5)
        seen = attemptcount(file);
    ::kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    Store store(file);
    QVERIFY(store.open());
    QVERIFY(store.movedaside().isEmpty());
    QVERIFY(int(store.attempts(book).size()) >= seen);
}

QTEST_GUILESS_MAIN(tst_store)
#include "tst_store.moc"
