// qbook as a user runs it: exit statuses, usage errors, the reports, never replacing a file
// unasked, and a book that comes back byte for byte from JSON.
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runqbook(const QStringList &arguments,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QBOOK_EXECUTABLE), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Two questions a book can hold around two essays it cannot, on lines 3 and 7.
void writegift(
    const TestEnvironment &env, const QString &name,
    const QByteArray &text = "First? {=yes ~no}\n\nEssay {}\n\nLast? {~no =yes}\n\nEssay {}\n")
{
    QFile file(env.path(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
}

} // namespace

class tst_qbookcommand : public QObject
{
    Q_OBJECT

private slots:
    void usageErrorsExitTwo_data();
    void usageErrorsExitTwo();
    void helpAndVersionNeedNoDisplay();
    void infoAndCheckReportProblems();
    void neverReplacesWithoutForce();
    void importReportsEachItemAndSummary();
    void jsonRoundTripIsByteIdentical();
    void commandLineTextsHeldAsFileTexts();
    void exportAndPrintRefuseWhatIsNoBookAndSayWhyAWriteFailed();
};

void tst_qbookcommand::usageErrorsExitTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << QStringList()
                             << "missing command (info, check, export, import or print)";
    QTest::newRow("unknown command") << QStringList{"show", "b.Q"} << "unknown command 'show'";
    QTest::newRow("unknown option")
        << QStringList{"info", "--all", "b.Q"} << "Unknown option 'all'.";
    QTest::newRow("import without -o")
        << QStringList{"import", "a.gift"} << "import needs -o BOOK.Q";
    QTest::newRow("unknown format") << QStringList{"export", "b.Q", "-f", "doc"}
                                    << "unknown format 'doc' (gift, aiken, xml, csv or json)";
    QTest::newRow("no format for standard output")
        << QStringList{"export", "b.Q"}
        << "cannot tell the format of 'standard output'; give -f FORMAT";
}

void tst_qbookcommand::usageErrorsExitTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    const Run run = runqbook(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err,
             QStringLiteral("qbook: %1\nTry 'qbook --help' for more information.\n").arg(message));
}

void tst_qbookcommand::helpAndVersionNeedNoDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    const Run version = runqbook({QStringLiteral("--version")}, environment);
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("qbook (quiz) 1.0.0\n"));
    const Run help = runqbook({"import", "x", "--help"}, environment);
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith(QStringLiteral("Usage: qbook info BOOK.Q\n")));
}

void tst_qbookcommand::infoAndCheckReportProblems()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("good.Q"), makeheader(2), makequestions(2));
    QBookHeader header = makeheader(2, QStringLiteral("Géographie"));
    header.magic = QStringLiteral("QX");
    QList<QuestionRecord> questions = makequestions(3);
    questions[0].correct = 0;
    questions[1].answers[1].clear();
    questions[2].answers[3].clear(); // a sound three-choice question
    env.writebook(QStringLiteral("bad.Q"), header, questions);
    const QString problems = QStringLiteral("bad.Q: type mark is \"QX\", not \"QB\"\n"
                                            "bad.Q: stored count is 2 but 3 questions were read\n"
                                            "bad.Q:1: right answer is 0, not 1 to 4\n"
                                            "bad.Q:2: right answer 2 names an empty answer slot\n");

    const Run info = runqbook({QStringLiteral("info"), QStringLiteral("bad.Q")});
    QCOMPARE(info.status, 0);
    QCOMPARE(info.out, QStringLiteral("Category: Géographie\nAuthor: Ann\nType mark: QX\n"
                                      "Stored count: 2\nQuestions read: 3\nProblems: 4\n") +
                           problems);
    // A book that cannot be read does not stop the others from being checked.
    const Run check = runqbook({"check", "good.Q", "missing.Q", "bad.Q"});
    QCOMPARE(check.status, 1);
    QCOMPARE(check.out, problems);
    QVERIFY(check.err.startsWith(QStringLiteral("qbook: cannot read missing.Q: ")));
    QCOMPARE(runqbook({"check", "good.Q"}).status, 0);
    // A count of 0 hides every record from the program.
    env.writebook(QStringLiteral("hidden.Q"), makeheader(0), makequestions(2));
    QCOMPARE(runqbook({"check", "hidden.Q"}).out,
             "hidden.Q: stored count is 0 but the file holds 2 questions: the program opens it "
             "empty\n");
}

void tst_qbookcommand::neverReplacesWithoutForce()
{
    TestEnvironment env;
    const QString old = env.writebook(QStringLiteral("old.Q"), makeheader(1), makequestions(1));
    const QByteArray before = filebytes(old);
    writegift(env, QStringLiteral("in.gift"));
    const Run refused = runqbook({"import", "in.gift", "-o", "old.Q"});
    QCOMPARE(refused.status, 1);
    QCOMPARE(refused.err, QStringLiteral("qbook: old.Q exists; use --force to replace it\n"));
    QCOMPARE(filebytes(old), before);
    QCOMPARE(runqbook({"import", "in.gift", "-o", "old.Q", "--force"}).status, 0);
    QVERIFY(filebytes(old) != before);
}

void tst_qbookcommand::importReportsEachItemAndSummary()
{
    TestEnvironment env;
    writegift(env, QStringLiteral("in.gift"));
    const Run run = runqbook({"import", "in.gift", "-o", "new.Q", "--category", "Logic"});
    QCOMPARE(run.status, 0);
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith(QStringLiteral("in.gift:3: ")), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(QStringLiteral("in.gift:7: ")), qPrintable(lines[1]));
    QCOMPARE(lines[2],
             QStringLiteral("qbook: wrote 2 questions to new.Q; 2 items skipped or changed"));
    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(env.path(QStringLiteral("new.Q"))), header, questions));
    QCOMPARE(header, (QBookHeader{"Logic", "", "QB", 2}));
    QCOMPARE(questions[2].correct, quint8(2));

    writegift(env, QStringLiteral("essay.gift"), "Essay {}\n");
    const Run nothing = runqbook({"import", "essay.gift", "-o", "none.Q"});
    QCOMPARE(nothing.status, 1);
    QVERIFY(nothing.err.endsWith("qbook: no questions could be imported from essay.gift; "
                                 "none.Q not written\n"));
    QVERIFY(!QFile::exists(env.path(QStringLiteral("none.Q"))));
}

void tst_qbookcommand::jsonRoundTripIsByteIdentical()
{
    TestEnvironment env;
    QList<QuestionRecord> questions = makequestions(5);
    questions[0].question = QStringLiteral("Où est \"le\" café,\r\nau coin?");
    questions[1].answers[0] = QStringLiteral("{\"json\": [1, 2]} \\ / \t");
    const QString book =
        env.writebook(QStringLiteral("b.Q"), makeheader(5, QStringLiteral("Café"), {}), questions);
    QCOMPARE(runqbook({"export", "b.Q", "-o", "b.json"}).status, 0);
    QCOMPARE(runqbook({"import", "b.json", "-o", "back.Q"}).status, 0);
    QCOMPARE(filebytes(env.path(QStringLiteral("back.Q"))), filebytes(book));
    // Standard output gets the same bytes as the file.
    for (const QStringList &arguments : {QStringList{"export", "b.Q", "-f", "json"},
                                         QStringList{"export", "b.Q", "-o", "-", "-f", "json"}}) {
        QProcess process;
        process.start(QStringLiteral(QBOOK_EXECUTABLE), arguments);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.readAllStandardOutput(), filebytes(env.path(QStringLiteral("b.json"))));
    }
    QVERIFY(!QFile::exists(env.path(QStringLiteral("-"))));
}

void tst_qbookcommand::commandLineTextsHeldAsFileTexts()
{
    TestEnvironment env;
    writegift(env, QStringLiteral("in.gift"), "Q {=a ~b}\n");
    const Run run = runqbook({"import", "in.gift", "-o", "new.Q", "--category", "Физика",
                              "--author", QString(40000, u'x')});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.err,
             QStringLiteral("in.gift: --category: characters outside Windows-1252 stored as "
                            "\"?\": Ф (U+0424), и (U+0438), з (U+0437), к (U+043A), а (U+0430)\n"
                            "in.gift: --author: text longer than 32,767 bytes cut\n"
                            "qbook: wrote 1 question to new.Q; 2 items skipped or changed\n"));
}

void tst_qbookcommand::exportAndPrintRefuseWhatIsNoBookAndSayWhyAWriteFailed()
{
    TestEnvironment env;
    writegift(env, QStringLiteral("in.gift"));
    for (const QStringList &arguments : {QStringList{"export", "in.gift", "-o", "out.json"},
                                         QStringList{"print", "in.gift", "-o", "out.pdf"}}) {
        const Run run = runqbook(arguments);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.endsWith(QStringLiteral(": cannot read in.gift: not a quiz book\n")),
                 qPrintable(run.err));
    }
    env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    QProcess process;
    process.start("sh", {"-c", "ulimit -f 0; exec \"$0\" export b.Q -o b.json", QBOOK_EXECUTABLE});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardError(),
             QByteArray("qbook: cannot write b.json: File too large\n"));
}

QTEST_MAIN(tst_qbookcommand)
#include "tst_qbookcommand.moc"
