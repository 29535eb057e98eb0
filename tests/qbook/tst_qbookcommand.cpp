// The qbook command as a user runs it: exit statuses, usage errors, what info and check
// report, the reports of import, never replacing a file unasked, the atomic write, and a
// book that comes back byte for byte from JSON.
#include "modquiz.h"
#include "testsupport.h"

#include <QDir>
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

// Runs qbook in the test's folder.
Run runqbook(const QStringList &arguments,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QBOOK_EXECUTABLE), arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QString writetext(const TestEnvironment &env, const QString &name, const QByteArray &text)
{
    QFile file(env.path(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return {};
    return name;
}

const QByteArray twoandessays = "First? {=yes ~no}\n\nEssay {}\n\nLast? {~no =yes}\n\nEssay {}\n";

QStringList files(const TestEnvironment &env)
{
    return QDir(env.folder()).entryList(QDir::Files, QDir::Name);
}

} // namespace

class tst_qbookcommand : public QObject
{
    Q_OBJECT

private slots:
    void usageErrorsExitTwo_data();
    void usageErrorsExitTwo();
    void helpAndVersion_data();
    void helpAndVersion();
    void infoShowsHeaderCountsAndProblems();
    void checkListsProblemsOfEachBook();
    void neverReplacesWithoutForce_data();
    void neverReplacesWithoutForce();
    void importReportsEachItemAndSummary();
    void importOfNothingWritesNothing_data();
    void importOfNothingWritesNothing();
    void failedWriteKeepsOldBook();
    void jsonRoundTripIsByteIdentical();
};

void tst_qbookcommand::usageErrorsExitTwo_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << QStringList() << "missing command (info, check, export or import)";
    QTest::newRow("unknown command") << QStringList{"show", "b.Q"} << "unknown command 'show'";
    QTest::newRow("unknown option")
        << QStringList{"info", "--all", "b.Q"} << "Unknown option 'all'.";
    QTest::newRow("two books for info")
        << QStringList{"info", "b.Q", "c.Q"} << "unexpected argument 'c.Q'";
    QTest::newRow("check without book") << QStringList{"check"} << "missing file name";
    QTest::newRow("import without -o")
        << QStringList{"import", "a.json"} << "import needs -o BOOK.Q";
    QTest::newRow("unknown format") << QStringList{"export", "b.Q", "-f", "doc"}
                                    << "unknown format 'doc' (gift, aiken, xml, csv or json)";
    QTest::newRow("no format for standard output")
        << QStringList{"export", "b.Q"}
        << "cannot tell the format of 'standard output'; give -f FORMAT";
    QTest::newRow("no format from extension")
        << QStringList{"import", "a.dat", "-o", "new.Q"}
        << "cannot tell the format of 'a.dat'; give -f FORMAT";
}

void tst_qbookcommand::usageErrorsExitTwo()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    writetext(env, QStringLiteral("a.dat"), twoandessays);
    const Run run = runqbook(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QStringLiteral("qbook: ") + message +
                          QStringLiteral("\nTry 'qbook --help' for more information.\n"));
    QCOMPARE(files(env), QStringList({"a.dat", "b.Q"}));
}

void tst_qbookcommand::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("start");
    QTest::newRow("help") << QStringList{"--help"} << "Usage: qbook info BOOK.Q\n";
    QTest::newRow("help of a command")
        << QStringList{"import", "x", "--help"} << "Usage: qbook info BOOK.Q\n";
    QTest::newRow("version") << QStringList{"--version"} << "qbook (quiz) 1.0.0\n";
}

void tst_qbookcommand::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, start);
    TestEnvironment env;
    // Without a display, as on a server.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    const Run run = runqbook(arguments, environment);
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.startsWith(start), qPrintable(run.out));
    QCOMPARE(run.err, QString());
}

void tst_qbookcommand::infoShowsHeaderCountsAndProblems()
{
    TestEnvironment env;
    QBookHeader header = makeheader(3, QStringLiteral("Géographie"), QStringLiteral("Zoë"));
    header.magic = QStringLiteral("QX");
    QList<QuestionRecord> questions = makequestions(4);
    questions[2].answers[3].clear();
    env.writebook(QStringLiteral("b.Q"), header, questions);
    const Run run = runqbook({QStringLiteral("info"), QStringLiteral("b.Q")});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QStringLiteral("Category: Géographie\nAuthor: Zoë\nType mark: QX\n"
                                     "Stored count: 3\nQuestions read: 4\nProblems: 3\n"
                                     "b.Q: type mark is \"QX\", not \"QB\"\n"
                                     "b.Q: stored count is 3 but 4 questions were read\n"
                                     "b.Q:3: answer 4 is empty\n"));
    QCOMPARE(run.err, QString());
}

void tst_qbookcommand::checkListsProblemsOfEachBook()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("good.Q"), makeheader(2), makequestions(2));
    QList<QuestionRecord> questions = makequestions(3);
    questions[0].correct = 0;
    questions[2].question.clear();
    questions[2].correct = 5;
    env.writebook(QStringLiteral("bad.Q"), makeheader(3), questions);

    const Run good = runqbook({QStringLiteral("check"), QStringLiteral("good.Q")});
    QCOMPARE(good.status, 0);
    QCOMPARE(good.out + good.err, QString());

    // A book that cannot be read does not stop the others from being checked.
    const Run all = runqbook({QStringLiteral("check"), QStringLiteral("missing.Q"),
                              QStringLiteral("bad.Q"), QStringLiteral("good.Q")});
    QCOMPARE(all.status, 1);
    QCOMPARE(all.out, QStringLiteral("bad.Q:1: right answer is 0, not 1 to 4\n"
                                     "bad.Q:3: question text is empty\n"
                                     "bad.Q:3: right answer is 5, not 1 to 4\n"));
    QVERIFY2(all.err.startsWith(QStringLiteral("qbook: cannot read missing.Q: ")),
             qPrintable(all.err));
}

void tst_qbookcommand::neverReplacesWithoutForce_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("existing");
    QTest::newRow("import") << QStringList{"import", "in.gift", "-o", "old.Q"} << "old.Q";
    QTest::newRow("export") << QStringList{"export", "old.Q", "-o", "in.gift"} << "in.gift";
}

void tst_qbookcommand::neverReplacesWithoutForce()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, existing);
    TestEnvironment env;
    env.writebook(QStringLiteral("old.Q"), makeheader(1), makequestions(1));
    writetext(env, QStringLiteral("in.gift"), twoandessays);
    const QByteArray before = filebytes(env.path(existing));

    const Run refused = runqbook(arguments);
    QCOMPARE(refused.status, 1);
    QCOMPARE(refused.err,
             QStringLiteral("qbook: %1 exists; use --force to replace it\n").arg(existing));
    QCOMPARE(filebytes(env.path(existing)), before);

    const Run forced = runqbook(arguments << QStringLiteral("--force"));
    QCOMPARE(forced.status, 0);
    QVERIFY(filebytes(env.path(existing)) != before);
}

void tst_qbookcommand::importReportsEachItemAndSummary()
{
    TestEnvironment env;
    writetext(env, QStringLiteral("in.gift"), twoandessays);
    const Run run =
        runqbook({"import", "in.gift", "-o", "new.Q", "--category", "Logic", "--author", "Sam"});
    QCOMPARE(run.status, 0);
    QCOMPARE(run.out, QString());
    const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith(QStringLiteral("in.gift:3: ")), qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(QStringLiteral("in.gift:7: ")), qPrintable(lines[1]));
    QCOMPARE(lines[2],
             QStringLiteral("qbook: wrote 2 questions to new.Q; 2 items skipped or changed"));

    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(env.path(QStringLiteral("new.Q"))), header, questions));
    QCOMPARE(header, (QBookHeader{"Logic", "Sam", "QB", 2}));
    QCOMPARE(questions[2].question, QStringLiteral("Last?"));
    QCOMPARE(questions[2].correct, quint8(2));
}

void tst_qbookcommand::importOfNothingWritesNothing_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing usable") << "essay.gift"
                                    << "no questions could be imported from essay.gift; "
                                       "new.Q not written";
    QTest::newRow("missing") << "missing.gift"
                             << "cannot read missing.gift: ";
    QTest::newRow("folder") << "folder.gift"
                            << "cannot read folder.gift: it is a folder";
}

void tst_qbookcommand::importOfNothingWritesNothing()
{
    QFETCH(QString, input);
    QFETCH(QString, message);
    TestEnvironment env;
    writetext(env, QStringLiteral("essay.gift"), "Essay {}\n");
    QDir(env.folder()).mkdir(QStringLiteral("folder.gift"));
    const Run run =
        runqbook({QStringLiteral("import"), input, QStringLiteral("-o"), QStringLiteral("new.Q")});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QStringLiteral("qbook: ") + message), qPrintable(run.err));
    QVERIFY(!QFile::exists(env.path(QStringLiteral("new.Q"))));
}

void tst_qbookcommand::failedWriteKeepsOldBook()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("old.Q"), makeheader(1), makequestions(1));
    writetext(env, QStringLiteral("in.gift"), twoandessays);
    const QByteArray before = filebytes(env.path(QStringLiteral("old.Q")));
    Run run;
    {
        // The child process inherits the limit: a disk that fills up halfway.
        const FileSizeLimit disk(before.size() + 5);
        QVERIFY(disk.ok());
        run = runqbook({"import", "in.gift", "-o", "old.Q", "--force", "--category",
                        QString(200, QLatin1Char('c'))});
    }
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.endsWith(QStringLiteral("qbook: cannot write old.Q\n")), qPrintable(run.err));
    QCOMPARE(filebytes(env.path(QStringLiteral("old.Q"))), before);
    QCOMPARE(files(env), QStringList({"in.gift", "old.Q"}));
}

void tst_qbookcommand::jsonRoundTripIsByteIdentical()
{
    TestEnvironment env;
    QList<QuestionRecord> questions = makequestions(5);
    questions[0].question = QStringLiteral("Où est \"le\" café,\r\nau coin?");
    questions[1].answers[0] = QStringLiteral("{\"json\": [1, 2]} \\ / \t");
    questions[4].correct = 4;
    const QString book = env.writebook(QStringLiteral("b.Q"),
                                       makeheader(5, QStringLiteral("Café"), QString()), questions);
    const Run out = runqbook({"export", "b.Q", "-o", "b.json"});
    QCOMPARE(out.status, 0);
    QCOMPARE(out.err, QString());
    const Run in = runqbook({"import", "b.json", "-o", "back.Q"});
    QCOMPARE(in.status, 0);
    QCOMPARE(filebytes(env.path(QStringLiteral("back.Q"))), filebytes(book));

    // Standard output gets the same bytes as the file.
    QProcess process;
    process.start(QStringLiteral(QBOOK_EXECUTABLE), {"export", "b.Q", "-f", "json"});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), filebytes(env.path(QStringLiteral("b.json"))));
}

QTEST_MAIN(tst_qbookcommand)
#include "tst_qbookcommand.moc"
