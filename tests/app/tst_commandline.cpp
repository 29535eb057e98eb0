// Start-up with a command line: switch spellings, every refusal with the files it leaves
// open, the stored One Chance option, and the program's own --help and --version.
#include "app/cmdline.h"
#include "platform/files.h"
#include "platform/settings.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "ui/main/frmquiz.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

enum class Panel { None, Run, Edit };

void makebooks(const TestEnvironment &env)
{
    env.writebook(QStringLiteral("book.Q"), makeheader(3), makequestions(3));
    env.writebook(QStringLiteral("my book.Q"), makeheader(2), makequestions(2));
    env.writebook(QStringLiteral("x"), makeheader(1), makequestions(1));
    QBookHeader other = makeheader(2);
    other.magic = QStringLiteral("QX");
    env.writebook(QStringLiteral("notbook.Q"), other, makequestions(2));
    env.writebook(QStringLiteral("empty.Q"), makeheader(0), makequestions(2));
    const QString readonly =
        env.writebook(QStringLiteral("readonly.Q"), makeheader(2), makequestions(2));
    QFile::setPermissions(readonly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

// Starts a window on the command line; a stored setting is written first when given.
std::unique_ptr<frmquiz> start(const QString &commandline)
{
    auto window = std::make_unique<frmquiz>();
    window->Form_Load(cmdline::launch({commandline}));
    return window;
}

Panel panelof(const frmquiz &window)
{
    if (control(window, "picqb")->isVisibleTo(&window))
        return Panel::Run;
    if (control(window, "picedit")->isVisibleTo(&window))
        return Panel::Edit;
    return Panel::None;
}

} // namespace

Q_DECLARE_METATYPE(Panel)

class tst_commandline : public QObject
{
    Q_OBJECT

private slots:
    void commandline_data();
    void commandline();
    void tooManyRecordsCannotBeRead_data();
    void tooManyRecordsCannotBeRead();
    void typeMarkIsJudgedBeforeTheRecords();
    void editSetsButtonsByStoredCount_data();
    void editSetsButtonsByStoredCount();
    void noCommandLineComesUpIdle();
    void storedOneChance_data();
    void storedOneChance();
    void argumentsBecomeOneLine_data();
    void argumentsBecomeOneLine();
    void helpAndVersionNeedNoDisplay_data();
    void helpAndVersionNeedNoDisplay();
};

void tst_commandline::commandline_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("message");
    QTest::addColumn<Panel>("panel");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("openfiles");

    const QString none;
    const QString notfound = QStringLiteral("Error : File not found");
    const QString editnotfound = QStringLiteral("File not found");
    const QString cannotopen = QStringLiteral("Error: Cannot open file");
    const QString invalid = QStringLiteral("Error : Invalid file type");
    const QString noquestions = QStringLiteral("This file contanis 0 questions");

    auto row = [](const char *name, const QString &line, const QString &message, Panel panel,
                  const QString &path, int openfiles) {
        QTest::newRow(name) << line << message << panel << path << openfiles;
    };
    row("run", "book.Q", none, Panel::Run, "book.Q", 1);
    row("run, blanks around", "   book.Q  ", none, Panel::Run, "book.Q", 1);
    row("run, blanks inside", "my book.Q", none, Panel::Run, "my book.Q", 1);
    row("run, one character", "x", none, Panel::Run, "x", 1);
    row("run, quoted", "\"book.Q\"", notfound, Panel::None, "\"book.Q\"", 0);
    row("run, missing", "missing.Q", notfound, Panel::None, "missing.Q", 0);
    row("run, through a file", "book.Q/x.Q", notfound, Panel::None, "book.Q/x.Q", 0);
    row("run, absolute path from /e", "/etc/..$DIR/book.Q", none, Panel::Run, "/etc/..$DIR/book.Q",
        1);
    row("run, not a quiz book", "notbook.Q", invalid, Panel::None, "notbook.Q", 0);
    row("run, count 0", "empty.Q", noquestions, Panel::None, "empty.Q", 0);
    row("run, read-only", "readonly.Q", none, Panel::Run, "readonly.Q", 1);
    row("edit /E with blank", "/E book.Q", none, Panel::Edit, "book.Q", 1);
    row("edit /e without blank", "/ebook.Q", none, Panel::Edit, "book.Q", 1);
    row("edit, blanks everywhere", "  /E   my book.Q  ", none, Panel::Edit, "my book.Q", 1);
    row("edit, absolute path", "/E$DIR/book.Q", none, Panel::Edit, "$DIR/book.Q", 1);
    row("edit, missing", "/E missing.Q", editnotfound, Panel::None, "missing.Q", 0);
    row("edit, switch alone", "/E", editnotfound, Panel::None, "", 0);
    row("edit, not a quiz book", "/e notbook.Q", invalid, Panel::None, "notbook.Q", 0);
    row("edit, count 0", "/E empty.Q", none, Panel::Edit, "empty.Q", 1);
    row("edit, read-only", "/E readonly.Q", cannotopen, Panel::None, "readonly.Q", 0);
}

void tst_commandline::commandline()
{
    QFETCH(QString, line);
    QFETCH(QString, message);
    QFETCH(Panel, panel);
    QFETCH(QString, path);
    QFETCH(int, openfiles);

    TestEnvironment env;
    makebooks(env);
    line.replace(QLatin1String("$DIR"), env.folder());
    path.replace(QLatin1String("$DIR"), env.folder());
    ScriptedMessages script;
    if (!message.isEmpty())
        script.expect({message});

    auto window = start(line);
    VERIFY_DONE(script);
    QCOMPARE(panelof(*window), panel);
    QCOMPARE(modquiz::state().qbpath, path);
    QCOMPARE(platform::openfilecount(), openfiles);
    QCOMPARE(modquiz::state().dlgok, panel != Panel::None);
    QCOMPARE(window->editstarted, panel == Panel::Edit);
    QCOMPARE(window->mnuinfo->isEnabled(), panel == Panel::Edit);
    QVERIFY(window->startedwithcommandline());
    if (panel == Panel::Run) {
        QCOMPARE(control<QLabel>(*window, "labquestion")->text(), QStringLiteral("Question 1"));
        QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("1"));
    }
}

void tst_commandline::tooManyRecordsCannotBeRead_data()
{
    QTest::addColumn<QString>("prefix");
    QTest::newRow("run") << QString();
    QTest::newRow("edit") << QStringLiteral("/E ");
}

void tst_commandline::tooManyRecordsCannotBeRead()
{
    QFETCH(QString, prefix);
    TestEnvironment env;
    env.writebook(QStringLiteral("huge.Q"), makeheader(qbook::maxquestions),
                  makequestions(qbook::maxquestions + 1));
    ScriptedMessages script({{QStringLiteral("Error: cannot read file")}});
    auto window = start(prefix + QStringLiteral("huge.Q"));
    VERIFY_DONE(script);
    QCOMPARE(panelof(*window), Panel::None);
    QCOMPARE(platform::openfilecount(), 0);
}

// A file that is no book is refused from its header, whatever its size: 100 GB (sparse) are
// never read.
void tst_commandline::typeMarkIsJudgedBeforeTheRecords()
{
    TestEnvironment env;
    QBookHeader other = makeheader(2);
    other.magic = QStringLiteral("QX");
    QFile file(env.path("huge.Q"));
    if (!file.open(QIODevice::WriteOnly) || !file.write(qbook::encodeheader(other)) ||
        !file.resize(Q_INT64_C(100) * 1024 * 1024 * 1024))
        QSKIP("the temporary folder holds no sparse file of 100 GB");
    file.close();
    ScriptedMessages script({{"Error : Invalid file type"}});
    const auto window = start(QStringLiteral("huge.Q"));
    VERIFY_DONE(script);
    QCOMPARE(panelof(*window), Panel::None);
    QCOMPARE(platform::openfilecount(), 0);
}

void tst_commandline::editSetsButtonsByStoredCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("records");
    QTest::addColumn<bool>("navigation");
    QTest::addColumn<bool>("editing");
    QTest::newRow("0") << 0 << 0 << false << false;
    QTest::newRow("1") << 1 << 1 << false << true;
    QTest::newRow("2") << 2 << 2 << true << true;
    // The stored count decides, not the records that follow it.
    QTest::newRow("count 1, three records") << 1 << 3 << false << true;
}

void tst_commandline::editSetsButtonsByStoredCount()
{
    QFETCH(int, count);
    QFETCH(int, records);
    QFETCH(bool, navigation);
    QFETCH(bool, editing);
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(static_cast<qint16>(count)),
                  makequestions(records));
    ScriptedMessages script;
    auto window = start(QStringLiteral("/E b.Q"));
    VERIFY_DONE(script);
    QCOMPARE(panelof(*window), Panel::Edit);
    QVERIFY(control<QPushButton>(*window, "cmdadd")->isEnabled());
    for (QPushButton *button :
         {control<QPushButton>(*window, "cmdfirst"), control<QPushButton>(*window, "cmdnext"),
          control<QPushButton>(*window, "cmdprev"), control<QPushButton>(*window, "cmdlast")})
        QCOMPARE(button->isEnabled(), navigation);
    for (QPushButton *button :
         {control<QPushButton>(*window, "cmddelete"), control<QPushButton>(*window, "cmdupdate"),
          control<QPushButton>(*window, "cmdsave")})
        QCOMPARE(button->isEnabled(), editing);
}

void tst_commandline::noCommandLineComesUpIdle()
{
    TestEnvironment env;
    ScriptedMessages script;
    auto window = start(QStringLiteral("   "));
    VERIFY_DONE(script);
    QVERIFY(!window->startedwithcommandline());
    QCOMPARE(panelof(*window), Panel::None);
    QCOMPARE(modquiz::state().qbpath, QString());
    QCOMPARE(platform::openfilecount(), 0);
}

void tst_commandline::storedOneChance_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("checked");
    QTest::newRow("missing") << false << QString() << true;
    QTest::newRow("True") << true << QStringLiteral("True") << true;
    QTest::newRow("False") << true << QStringLiteral("False") << false;
    QTest::newRow("false") << true << QStringLiteral("false") << false;
    QTest::newRow("FALSE") << true << QStringLiteral("FALSE") << false;
    QTest::newRow("0") << true << QStringLiteral("0") << false;
    QTest::newRow("1") << true << QStringLiteral("1") << true;
    QTest::newRow("-1") << true << QStringLiteral("-1") << true;
    QTest::newRow("maybe") << true << QStringLiteral("maybe") << true;
    QTest::newRow("empty") << true << QString() << true;
}

void tst_commandline::storedOneChance()
{
    QFETCH(bool, stored);
    QFETCH(QString, value);
    QFETCH(bool, checked);
    TestEnvironment env;
    if (stored)
        platform::writesetting(QStringLiteral("Tarvel"), QStringLiteral("General"),
                               QStringLiteral("onechance"), value);
    ScriptedMessages script;
    auto window = start({});
    QCOMPARE(window->mnuonechance->isChecked(), checked);
    QCOMPARE(window->runpanel().onechance(), checked);
    QVERIFY(window->mnuonechance->isEnabled());
    // Reading never writes: a missing value stays missing.
    QCOMPARE(platform::readsetting(QStringLiteral("Tarvel"), QStringLiteral("General"),
                                   QStringLiteral("onechance"), QStringLiteral("<none>")),
             stored ? value : QStringLiteral("<none>"));
}

void tst_commandline::argumentsBecomeOneLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("request");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("path");
    using Mode = Launch::Mode;
    auto row = [](const char *name, const QStringList &arguments, const QString &line,
                  cmdline::Request request, Mode mode, const QString &path) {
        QTest::newRow(name) << arguments << line << int(request) << int(mode) << path;
    };
    const auto run = cmdline::Request::Run;
    row("nothing", {}, "", run, Mode::None, "");
    row("path", {"book.Q"}, "book.Q", run, Mode::Run, "book.Q");
    row("path with blanks", {"my", "book.Q"}, "my book.Q", run, Mode::Run, "my book.Q");
    row("/E", {"/E", "book.Q"}, "/E book.Q", run, Mode::Edit, "book.Q");
    row("-e", {"-e", "my book.Q"}, "/E my book.Q", run, Mode::Edit, "my book.Q");
    row("--edit", {"--edit", "b.Q"}, "/E b.Q", run, Mode::Edit, "b.Q");
    row("-e alone", {"-e"}, "/E ", run, Mode::Edit, "");
    row("-e later is a path", {"b.Q", "-e"}, "b.Q -e", run, Mode::Run, "b.Q -e");
    row("--help", {"--help"}, "--help", cmdline::Request::Help, Mode::Run, "--help");
    row("--version", {"--version"}, "--version", cmdline::Request::Version, Mode::Run, "--version");
    row("--help in a path", {"--help", "me.Q"}, "--help me.Q", run, Mode::Run, "--help me.Q");
}

void tst_commandline::argumentsBecomeOneLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QFETCH(int, request);
    QFETCH(int, mode);
    QFETCH(QString, path);
    QCOMPARE(int(cmdline::request(arguments)), request);
    QCOMPARE(cmdline::commandline(arguments), line);
    const Launch launch = cmdline::launch(arguments);
    QCOMPARE(int(launch.mode), mode);
    QCOMPARE(launch.path, path);
}

void tst_commandline::helpAndVersionNeedNoDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");
    QTest::newRow("--help") << QStringLiteral("--help") << QStringLiteral("--edit PATH");
    QTest::newRow("--version") << QStringLiteral("--version")
                               << QStringLiteral("quiz " QUIZ_VERSION);
}

void tst_commandline::helpAndVersionNeedNoDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, expected);
    QProcess quiz;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    // An empty platform name makes QApplication look for a display and abort without one.
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    quiz.setProcessEnvironment(environment);
    quiz.start(QStringLiteral(QUIZ_EXECUTABLE), {option});
    QVERIFY(quiz.waitForFinished(20000));
    QCOMPARE(quiz.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quiz.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(quiz.readAllStandardOutput());
    QVERIFY2(out.contains(expected), qPrintable(out));
}

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
