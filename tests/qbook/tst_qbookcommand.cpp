// qbook as a user runs it: exit statuses, usage errors, the reports, never replacing a file
// unasked, and a book that comes back byte for byte from JSON.
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

Run runqbook(const QStringList &arguments,
             const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
             rlim_t sizelimit = RLIM_INFINITY)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setChildProcessModifier([sizelimit] {
        const rlimit limit{sizelimit, sizelimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(QStringLiteral(QBOOK_EXECUTABLE), arguments);
    // Long enough for any command; a command that waits on a pipe fails instead of hanging.
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
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
    void readsOnlyRegularFiles_data();
    void readsOnlyRegularFiles();
    void neverWritesOverItsInput_data();
    void neverWritesOverItsInput();
    void writesOnlyRegularFiles_data();
    void writesOnlyRegularFiles();
    void fileSizeLimitIsAWriteError();
    void replacingKeepsOwnerModeAndReadOnly();
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
    QVERIFY(
        runqbook({"print", "old.Q", "-o", "in.gift"}).err.endsWith("use --force to replace it\n"));
    QCOMPARE(runqbook({"print", "old.Q", "-o", "in.gift", "--force"}).status, 0);
    QVERIFY(filebytes(env.path(QStringLiteral("in.gift"))).startsWith("%PDF"));
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
             QByteArray("qbook: cannot write b.json: file too large\n"));
}

void tst_qbookcommand::readsOnlyRegularFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    for (const QString node : {"pipe", "zeros", "link", "huge"}) {
        const QString book = node + ".Q";
        const QString reason = node == "huge" ? "more than 32766 questions" : "not a regular file";
        QTest::addRow("info %s", qPrintable(node)) << QStringList{"info", book} << reason;
        QTest::addRow("check %s", qPrintable(node)) << QStringList{"check", book} << reason;
        QTest::addRow("export %s", qPrintable(node))
            << QStringList{"export", book, "-f", "json"} << reason;
        QTest::addRow("print %s", qPrintable(node))
            << QStringList{"print", book, "-o", "out.pdf"} << reason;
        QTest::addRow("import %s", qPrintable(node))
            << QStringList{"import", node + ".gift", "-o", "out.Q"}
            << (node == "huge" ? "file too large" : reason);
    }
}

// A pipe would wait for a writer for ever, a device of endless zeros or 100 GB of them (after
// a sound header) would fill the memory: each is refused, or read only as far as a book goes.
void tst_qbookcommand::readsOnlyRegularFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    TestEnvironment env;
    for (const QString suffix : {".Q", ".gift"}) {
        QVERIFY(makefifo(env.path("pipe" + suffix)));
        QVERIFY(QFile::link(env.path("pipe" + suffix), env.path("link" + suffix)));
        QFile huge(env.writebook("huge" + suffix, makeheader(1), makequestions(1)));
        QVERIFY(huge.resize(100LL << 30));
        if (mknod(QFile::encodeName(env.path("zeros" + suffix)).constData(), S_IFCHR | 0644,
                  makedev(1, 5)) != 0)
            QSKIP("no device nodes here");
    }
    const Run run = runqbook(arguments);
    QVERIFY2((run.out + run.err).contains(arguments[1] + ": " + reason), qPrintable(run.err));
    QVERIFY(!QFile::exists(env.path(QStringLiteral("out.Q"))));
}

void tst_qbookcommand::neverWritesOverItsInput_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("print") << QStringList{"print", "b.Q", "-o", "b.Q"};
    QTest::newRow("print ./") << QStringList{"print", "b.Q", "-o", "./b.Q", "--force"};
    QTest::newRow("print link") << QStringList{"print", "b.Q", "-o", "link.Q", "--force"};
    QTest::newRow("export") << QStringList{"export", "b.Q", "-o", "b.Q", "-f", "json", "--force"};
    QTest::newRow("import") << QStringList{"import", "b.Q", "-o", "link.Q", "-f", "csv", "--force"};
}

void tst_qbookcommand::neverWritesOverItsInput()
{
    QFETCH(QStringList, arguments);
    TestEnvironment env;
    const QString book = env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    QVERIFY(QFile::link(book, env.path(QStringLiteral("link.Q"))));
    const QByteArray before = filebytes(book);
    const Run run = runqbook(arguments);
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(QStringLiteral("is the file being read; it is never written over")),
             qPrintable(run.err));
    QCOMPARE(filebytes(book), before);
}

void tst_qbookcommand::writesOnlyRegularFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("print to a pipe") << QStringList{"print", "b.Q", "-o", "pipe", "--force"};
    QTest::newRow("print to a device") << QStringList{"print", "b.Q", "-o", "null", "--force"};
    QTest::newRow("print through a link to a pipe")
        << QStringList{"print", "b.Q", "-o", "pipelink", "--force"};
    QTest::newRow("print to a dangling link") << QStringList{"print", "b.Q", "-o", "dangling"};
    QTest::newRow("export to a dangling link")
        << QStringList{"export", "b.Q", "-o", "dangling", "-f", "json"};
    QTest::newRow("import to a dangling link")
        << QStringList{"import", "in.gift", "-o", "dangling"};
}

// Only a missing name or a regular file gives way; the nodes stay and no file appears.
void tst_qbookcommand::writesOnlyRegularFiles()
{
    QFETCH(QStringList, arguments);
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    writegift(env, QStringLiteral("in.gift"));
    QVERIFY(makefifo(env.path(QStringLiteral("pipe"))));
    if (!makedevice(env.path(QStringLiteral("null"))))
        QSKIP("no device nodes here");
    QVERIFY(QFile::link(env.path(QStringLiteral("pipe")), env.path(QStringLiteral("pipelink"))));
    QVERIFY(QFile::link(env.path(QStringLiteral("target")), env.path(QStringLiteral("dangling"))));
    QCOMPARE(runqbook(arguments).status, 1);
    for (const char *node : {"pipe", "null", "pipelink"})
        QVERIFY(QFileInfo::exists(env.path(node)) && !QFileInfo(env.path(node)).isFile());
    QVERIFY(QFileInfo(env.path(QStringLiteral("pipelink"))).isSymLink());
    QVERIFY(!QFileInfo::exists(env.path(QStringLiteral("target"))));
}

// A file-size limit ends a process that writes past it, unless the signal is ignored.
void tst_qbookcommand::fileSizeLimitIsAWriteError()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    const Run run =
        runqbook({"print", "b.Q", "-o", "b.pdf"}, QProcessEnvironment::systemEnvironment(), 1024);
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.endsWith(QStringLiteral("qbook print: cannot write b.pdf: file too large\n")),
             qPrintable(run.err));
    QVERIFY(QDir(env.folder()).entryList({"*.pdf*"}, QDir::Files | QDir::Hidden).isEmpty());
}

// The superuser replacing another user's file leaves it theirs; a file without write bits is
// never replaced.
void tst_qbookcommand::replacingKeepsOwnerModeAndReadOnly()
{
    if (geteuid() != 0)
        QSKIP("giving a file away needs the superuser");
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(1), makequestions(1));
    writegift(env, QStringLiteral("theirs.pdf"), "theirs");
    const QByteArray theirs = QFile::encodeName(env.path(QStringLiteral("theirs.pdf")));
    QVERIFY(chown(theirs.constData(), 4321, 4321) == 0 && chmod(theirs.constData(), 0640) == 0);
    QCOMPARE(runqbook({"print", "b.Q", "-o", "theirs.pdf", "--force"}).status, 0);
    struct stat status = {};
    QVERIFY(stat(theirs.constData(), &status) == 0 && status.st_uid == 4321 &&
            status.st_gid == 4321 && (status.st_mode & 07777) == 0640);

    QVERIFY(chmod(theirs.constData(), 0444) == 0);
    QVERIFY(runqbook({"print", "b.Q", "-o", "theirs.pdf", "--force"})
                .err.endsWith("qbook print: cannot write theirs.pdf: permission denied\n"));
    QVERIFY(stat(theirs.constData(), &status) == 0 && (status.st_mode & 07777) == 0444);
}

QTEST_MAIN(tst_qbookcommand)
#include "tst_qbookcommand.moc"
