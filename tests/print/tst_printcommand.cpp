// "qbook print" as a user runs it: a PDF without a display, exit 2 for a usage error and 1
// when a file cannot be read or written.

#include "tests/print/pdftext.h"
#include "tests/support/testsupport.h"

#include <QFileInfo>

namespace {

struct Result
{
    int code = -1;
    QString errors;
};

// Runs the command with no display of any kind in its environment.
Result runprint(const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    QProcess tool;
    tool.setProcessEnvironment(environment);
    tool.start(QBOOK_EXECUTABLE, QStringList{QStringLiteral("print")} + arguments);
    if (!tool.waitForFinished(120000) || tool.exitStatus() != QProcess::NormalExit)
        return {};
    return {tool.exitCode(), QString::fromLocal8Bit(tool.readAllStandardError())};
}

} // namespace

class tst_printcommand : public QObject
{
    Q_OBJECT

private slots:
    void writesPdfWithoutDisplay();
    void usageErrors_data();
    void usageErrors();
    void fileErrors();
};

void tst_printcommand::writesPdfWithoutDisplay()
{
    TestEnvironment env;
    env.writebook("exam.Q", makeheader(2, "History"), makequestions(2));
    QCOMPARE(runprint({"exam.Q", "-o", "a.pdf"}).code, 0);
    QCOMPARE(missinginorder(pdftext(env.path("a.pdf")).simplified(),
                            {"History", "1. Question 1", "D Answer 2.4", "Answer Key", "1 A 2 B"}),
             QString());

    QCOMPARE(runprint({"--no-key", "exam.Q", "--page-size", "Letter", "-o", "b.pdf"}).code, 0);
    QVERIFY(!pdftext(env.path("b.pdf")).contains("Answer Key"));
    QCOMPARE(pdfinfo(env.path("b.pdf"), "Page size"), QStringLiteral("612 x 792 pts (letter)"));
    QCOMPARE(runprint({"exam.Q", "--page-size=A4", "-oc.pdf"}).code, 0);
    QCOMPARE(pdfinfo(env.path("c.pdf"), "Page size"), QStringLiteral("595 x 842 pts (A4)"));
}

void tst_printcommand::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("nothing") << QStringList{} << "no book given";
    QTest::newRow("no output") << QStringList{"exam.Q"} << "no output file given";
    QTest::newRow("-o without value") << QStringList{"exam.Q", "-o"} << "-o needs a file name";
    QTest::newRow("two books") << QStringList{"a.Q", "b.Q", "-o", "x.pdf"} << "one book at a time";
    QTest::newRow("unknown option")
        << QStringList{"exam.Q", "-o", "x.pdf", "--color"} << "unknown option \"--color\"";
    QTest::newRow("page size") << QStringList{"exam.Q", "-o", "x.pdf", "--page-size", "A5"}
                               << "unknown page size \"A5\"";
}

void tst_printcommand::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    env.writebook("exam.Q", makeheader(1), makequestions(1));
    const Result result = runprint(arguments);
    QCOMPARE(result.code, 2);
    QVERIFY2(result.errors.contains("qbook print: " + message), qPrintable(result.errors));
    QVERIFY(result.errors.contains("Usage: qbook print BOOK.Q -o OUT.pdf"));
    QVERIFY(!QFileInfo::exists(env.path("x.pdf")));
}

void tst_printcommand::fileErrors()
{
    TestEnvironment env;
    const Result missing = runprint({"missing.Q", "-o", "x.pdf"});
    QCOMPARE(missing.code, 1);
    QVERIFY2(missing.errors.contains("qbook print: cannot read missing.Q"),
             qPrintable(missing.errors));
    QVERIFY(!QFileInfo::exists(env.path("x.pdf")));

    env.writebook("exam.Q", makeheader(1), makequestions(1));
    const Result nofolder = runprint({"exam.Q", "-o", "no/such/x.pdf"});
    QCOMPARE(nofolder.code, 1);
    QVERIFY2(nofolder.errors.contains("cannot write no/such/x.pdf"), qPrintable(nofolder.errors));

    // A full disk: the command fails and the old PDF stays whole.
    QFile old(env.path("old.pdf"));
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    {
        FileSizeLimit limit(2000);
        QVERIFY(limit.ok());
        const Result full = runprint({"exam.Q", "-o", "old.pdf", "--force"});
        QCOMPARE(full.code, 1);
        QVERIFY2(full.errors.contains("cannot write old.pdf"), qPrintable(full.errors));
    }
    QCOMPARE(filebytes(env.path("old.pdf")), QByteArray("old"));
}

QTEST_MAIN(tst_printcommand)
#include "tst_printcommand.moc"
