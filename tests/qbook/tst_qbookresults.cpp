// qbook results: the attempts kept for a book, as text, CSV and JSON, and the questions' figures.
#include "results/store.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runqbook(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(QBOOK_EXECUTABLE), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class tst_qbookresults : public QObject
{
    Q_OBJECT

private slots:
    void printsresults_data();
    void printsresults();
};

void tst_qbookresults::printsresults_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("expected");
    QTest::newRow("text") << QStringList{}
                          << "taker  score  maximum  percent  options     finished\n"
                             "ann    15     20       75       one-chance  true\n";
    QTest::newRow("csv") << QStringList{"--csv"}
                         << "taker,score,maximum,percent,options,finished\n"
                            "ann,15,20,75,one-chance,true\n";
    QTest::newRow("json") << QStringList{"--json"} << "\"percent\": 75,";
    QTest::newRow("questions") << QStringList{"--questions", "--csv"}
                               << "question,asked,facility,right,most_wrong,most_wrong_count,"
                                  "mean_seconds,discrimination,A,B,C,D\n"
                                  "1,1,100,100,,0,2,,1,0,0,0\n2,1,0,0,D,1,4.5,,0,0,0,1\n";
}

void tst_qbookresults::printsresults()
{
    QFETCH(QStringList, options);
    QFETCH(QString, expected);
    TestEnvironment env;
    const QString path = env.writebook("book.Q", makeheader(2), makequestions(2));
    const Run none = runqbook(QStringList{"results", path} + options);
    QCOMPARE(none.status, 1);
    QCOMPARE(none.err, QStringLiteral("qbook: %1: no results kept\n").arg(path));

    const QList<QuestionRecord> book = modquiz::readbookfile(path)->questions;
    results::Attempt attempt{results::bookhash(book, true),
                             path,
                             "Cat",
                             "ann",
                             QDateTime::currentDateTime(),
                             QDateTime::currentDateTime(),
                             {true, false, false, false},
                             15,
                             20,
                             true,
                             {}};
    attempt.answers = {{1, results::questionhash(book[1]), 'A', 0, results::Outcome::RightFirst, 2},
                       {2, results::questionhash(book[2]), 'D', 0, results::Outcome::Wrong, 4.5}};
    QVERIFY(results::Store().record(attempt));
    const Run run = runqbook(QStringList{"results", path} + options);
    QCOMPARE(run.status, 0);
    // The dates lead each attempt's row; the rest is compared whole.
    QString out = run.out;
    if (!options.contains("--questions") && !options.contains("--json"))
        out.replace(QRegularExpression("[^\n]*(\\d{4}-\\d\\d-\\d\\dT[\\d:]+[ ,]+){2}"), QString());
    QVERIFY2(out.contains(expected), qPrintable(run.out));
}

QTEST_GUILESS_MAIN(tst_qbookresults)
#include "tst_qbookresults.moc"
