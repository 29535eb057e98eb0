// Recent Books, a book dropped on the window, F1 for the read-me, and the new menu items
// beside the design's own.
#include "platform/files.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/dialogs/frmhelp.h"
#include "ui/dialogs/frmnewquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/frmquiz.h"
#include "ui/main/recentbooks.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

QString bookat(const TestEnvironment &env, const QString &name, int count = 2)
{
    return env.writebook(name, makeheader(qint16(count)), makequestions(count));
}

QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (const QAction *action : menu->actions())
        list.append(action->text());
    return list;
}

std::unique_ptr<QMimeData> urls(const QStringList &paths)
{
    auto data = std::make_unique<QMimeData>();
    QList<QUrl> list;
    for (const QString &path : paths)
        list.append(path.contains(QLatin1String("://")) ? QUrl(path) : QUrl::fromLocalFile(path));
    data->setUrls(list);
    return data;
}

} // namespace

class tst_recent : public QObject
{
    Q_OBJECT

private slots:
    void listOrderLimitAndDuplicates();
    void runEditCreateAreRemembered();
    void chooseRecent_data();
    void chooseRecent();
    void chooseRecentAsksAboutUnsavedEdits();
    void badFileLeavesRunningQuiz_data();
    void badFileLeavesRunningQuiz();
    void menuShowsNamesFoldersAndClear();
    void droppedBook_data();
    void droppedBook();
    void dropOnWindowRunsBook();
    void f1OpensReadme();
    void newItemsKeepDesignKeys();
};

void tst_recent::listOrderLimitAndDuplicates()
{
    TestEnvironment env;
    QStringList list;
    for (int n = 1; n <= 10; ++n)
        list = recentbooks::added(list, env.path(QStringLiteral("b%1.Q").arg(n)));
    QCOMPARE(list.size(), recentbooks::limit);
    QCOMPARE(list.first(), env.path("b10.Q"));
    QCOMPARE(list.last(), env.path("b3.Q"));
    // An older book used again moves to the top, once; a relative name is kept absolute.
    list = recentbooks::added(list, QStringLiteral("b5.Q"));
    QCOMPARE(list.size(), recentbooks::limit);
    QCOMPARE(list.first(), env.path("b5.Q"));
    QCOMPARE(list.count(env.path("b5.Q")), 1);
    QCOMPARE(list.last(), env.path("b3.Q"));

    recentbooks::save(list);
    QCOMPARE(recentbooks::load(), list);
    recentbooks::remove(QStringLiteral("b9.Q"));
    list.removeAll(env.path("b9.Q"));
    QCOMPARE(recentbooks::load(), list);
    recentbooks::clear();
    QVERIFY(recentbooks::load().isEmpty());
}

void tst_recent::runEditCreateAreRemembered()
{
    TestEnvironment env;
    ScriptedMessages script;
    bookat(env, "run.Q");
    bookat(env, "edit.Q");
    bookat(env, "picked.Q");
    frmquiz w;
    w.Form_Load(Launch::run(QStringLiteral("run.Q")));
    QCOMPARE(recentbooks::load(), QStringList{env.path("run.Q")});
    w.runpanel().cmdqbclose_Click();
    w.openbook(QStringLiteral("edit.Q"), true);
    QCOMPARE(recentbooks::load(), QStringList({env.path("edit.Q"), env.path("run.Q")}));

    ScriptedModal modal({[](QDialog *d) {
                             auto *picker = qobject_cast<frmeditquiz *>(d);
                             picker->txtfname->setText(QStringLiteral("picked.Q"));
                             picker->cmdedit_Click();
                         },
                         [](QDialog *d) {
                             auto *p = qobject_cast<frmnewquiz *>(d);
                             p->txtname->setText(QStringLiteral("made"));
                             p->txtcatagory->setText(QStringLiteral("Cat"));
                             p->txtauthor->setText(QStringLiteral("Ann"));
                             p->cmdcreate_Click();
                         }});
    w.mnuquizrun_Click();
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));
    w.mnuquiznew_Click();
    QVERIFY(control(w, "picedit")->isVisibleTo(&w));
    QVERIFY(modal.done());
    QCOMPARE(recentbooks::load(), QStringList({env.path("made.Q"), env.path("picked.Q"),
                                               env.path("edit.Q"), env.path("run.Q")}));
    VERIFY_DONE(script);
}

void tst_recent::chooseRecent_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("listed");
    QTest::newRow("book") << "book" << QString() << true;
    QTest::newRow("missing") << "missing"
                             << "Error : File not found" << false;
    QTest::newRow("not a book") << "other"
                                << "Error : Invalid file type" << true;
    QTest::newRow("no questions") << "empty"
                                  << "This file contanis 0 questions" << true;
}

void tst_recent::chooseRecent()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    QFETCH(bool, listed);
    TestEnvironment env;
    ScriptedMessages script;
    const QString other = bookat(env, "running.Q", 3);
    const QString path = env.path(kind + ".Q");
    if (kind == "book")
        bookat(env, "book.Q");
    if (kind == "other") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(64, 'x'));
    }
    if (kind == "empty")
        env.writebook("empty.Q", makeheader(0), makequestions(2));
    // A run of another book is on screen, at its second question with points.
    frmquiz w;
    w.Form_Load({});
    w.mnurecentbook_Click(other);
    w.runpanel().setscore(10);
    w.runpanel().cmdskip_Click();
    recentbooks::save({path, other});
    w.fillrecentmenu();
    if (!message.isEmpty())
        script.expect({message});
    control<QMenu>(w, "mnurecent")->actions().first()->trigger();
    VERIFY_DONE(script);

    // A file that is no book is refused before anything closes: the old run goes on.
    const bool refused = kind == "missing" || kind == "other";
    QCOMPARE(control(w, "picqb")->isVisibleTo(&w), kind == "book" || refused);
    QVERIFY(!control(w, "picedit")->isVisibleTo(&w));
    QCOMPARE(w.runpanel().score(), refused ? 10 : 0);
    QCOMPARE(platform::openfilecount(), kind == "empty" ? 0 : 1);
    if (kind == "book") {
        QCOMPARE(control<QLabel>(w, "labquestion")->text(), QStringLiteral("Question 1"));
        QCOMPARE(control<QLabel>(w, "labnum")->text(), QStringLiteral("1"));
    }
    QCOMPARE(recentbooks::load().contains(path), listed);
    QCOMPARE(recentbooks::load().first(), listed ? path : other);
    QCOMPARE(control<QMenu>(w, "mnurecent")->actions().size(), listed ? 3 : 2);
}

void tst_recent::chooseRecentAsksAboutUnsavedEdits()
{
    TestEnvironment env;
    bookat(env, "book.Q");
    const QString other = bookat(env, "other.Q", 3);
    recentbooks::save({other});
    const ExpectedMessage prompt{"Save Changes you made to book.Q?", Cancel, "Save", YesNoCancel};
    ScriptedMessages script({prompt});
    frmquiz w;
    w.Form_Load(Launch::edit(QStringLiteral("book.Q")));
    control<QPlainTextEdit>(w, "txtquestion")->setPlainText(QStringLiteral("Changed"));
    w.editpanel().cmdupdate_Click();
    w.mnurecentbook_Click(other);
    QVERIFY(control(w, "picedit")->isVisibleTo(&w));
    QVERIFY(modquiz::state().qbchanged);

    script.expect({prompt.text, No, prompt.title, prompt.buttons});
    w.mnurecentbook_Click(other);
    VERIFY_DONE(script);
    QVERIFY(control(w, "picqb")->isVisibleTo(&w) && !control(w, "picedit")->isVisibleTo(&w));
    QCOMPARE(modquiz::lastquestion(), 3);
}

void tst_recent::badFileLeavesRunningQuiz_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    for (const char *way : {"recent", "drop", "command line"}) {
        QTest::addRow("%s, missing", way) << way << "gone.Q"
                                          << "Error : File not found";
        QTest::addRow("%s, not a book", way) << way << "notes.Q"
                                             << "Error : Invalid file type";
    }
    QTest::newRow("picker, missing") << "picker"
                                     << "gone.Q"
                                     << "File not found";
}

void tst_recent::badFileLeavesRunningQuiz()
{
    QFETCH(QString, way);
    QFETCH(QString, file);
    QFETCH(QString, message);
    TestEnvironment env;
    ScriptedMessages script({{QStringLiteral("Sorry, Your answer is wrong \rPlease try again")}});
    QFile notes(env.path("notes.Q"));
    QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write(QByteArray(64, 'x')) == 64);
    notes.close();
    frmquiz w;
    w.Form_Load({});
    w.mnuonechance_Click(); // off: a wrong answer leaves the run at its second try
    w.mnurecentbook_Click(bookat(env, "running.Q", 3));
    w.runpanel().cmdskip_Click();
    w.runpanel().cmdans_Click(0);

    script.expect({message});
    if (way == "recent")
        w.mnurecentbook_Click(env.path(file));
    if (way == "drop")
        w.Form_DragDrop(urls({env.path(file)}).get());
    if (way == "command line")
        w.openbook(env.path(file), false);
    if (way == "picker") {
        ScriptedModal modal({[&](QDialog *d) {
            auto *picker = qobject_cast<frmeditquiz *>(d);
            picker->txtfname->setText(env.path(file));
            picker->cmdedit_Click();
        }});
        w.mnuquizrun_Click();
    }
    VERIFY_DONE(script);
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));
    QCOMPARE(control<QLabel>(w, "labquestion")->text(), QStringLiteral("Question 2"));
    QVERIFY(w.runpanel().secondtry());
    QCOMPARE(modquiz::lastquestion(), 3);
    QCOMPARE(modquiz::state().qbpath, env.path("running.Q"));
    QCOMPARE(platform::openfilecount(), 1);
}

void tst_recent::menuShowsNamesFoldersAndClear()
{
    TestEnvironment env;
    ScriptedMessages script;
    recentbooks::save({env.path("Q&A.Q"), env.path("b.Q")});
    frmquiz w;
    w.Form_Load({});
    w.fillrecentmenu();
    QCOMPARE(captions(control<QMenu>(w, "mnurecent")),
             QStringList({"&1 Q&&A.Q", "&2 b.Q", "&Clear Recent"}));
    QCOMPARE(control<QMenu>(w, "mnurecent")->actions().first()->statusTip(), env.folder());
    QVERIFY(control<QAction>(w, "mnurecentclear")->isEnabled());
    control<QAction>(w, "mnurecentclear")->trigger();
    QVERIFY(recentbooks::load().isEmpty());
    QCOMPARE(captions(control<QMenu>(w, "mnurecent")), QStringList{"&Clear Recent"});
    QVERIFY(!control<QAction>(w, "mnurecentclear")->isEnabled());
    VERIFY_DONE(script);
}

void tst_recent::droppedBook_data()
{
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("one book") << QStringList{"/tmp/a.Q"} << true;
    QTest::newRow("lower-case extension") << QStringList{"/tmp/a.q"} << true;
    QTest::newRow("two books") << QStringList{"/tmp/a.Q", "/tmp/b.Q"} << false;
    QTest::newRow("another file") << QStringList{"/tmp/a.txt"} << false;
    QTest::newRow("a web address") << QStringList{"https://example.org/a.Q"} << false;
    QTest::newRow("no files") << QStringList{} << false;
}

void tst_recent::droppedBook()
{
    QFETCH(QStringList, paths);
    QFETCH(bool, accepted);
    const auto data = urls(paths);
    QCOMPARE(RecentMenu::droppedbook(data.get()), accepted ? paths.first() : QString());
    QMimeData text;
    text.setText(QStringLiteral("/tmp/a.Q"));
    QVERIFY(RecentMenu::droppedbook(&text).isEmpty());
}

void tst_recent::dropOnWindowRunsBook()
{
    TestEnvironment env;
    ScriptedMessages script;
    const QString book = bookat(env, "dropped.Q", 3);
    QFile::copy(book, env.path("notes.txt"));
    frmquiz w;
    w.Form_Load({});
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint middle = w.rect().center();

    auto drop = [&](const QString &path, QWidget *target) {
        const auto data = urls({path});
        QDragEnterEvent enter(middle, Qt::CopyAction, data.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(middle), Qt::CopyAction, data.get(), Qt::LeftButton,
                           Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    };
    QVERIFY(!drop(env.path("notes.txt"), &w));
    QTest::qWait(20);
    QVERIFY(!control(w, "picqb")->isVisible());
    QCOMPARE(platform::openfilecount(), 0);

    QVERIFY(drop(book, &w));
    QTRY_VERIFY(control(w, "picqb")->isVisible());
    QCOMPARE(control<QLabel>(w, "labquestion")->text(), QStringLiteral("Question 1"));
    QCOMPARE(recentbooks::load(), QStringList{book});

    // Dropped on the editor's boxes, a book runs too instead of landing in them as text.
    for (QWidget *box :
         {static_cast<QWidget *>(control<QPlainTextEdit>(w, "txtquestion")->viewport()),
          static_cast<QWidget *>(control<QLineEdit>(w, "txtans2"))}) {
        w.openbook(QStringLiteral("dropped.Q"), true);
        QVERIFY(control(w, "picedit")->isVisible());
        QVERIFY(drop(book, box));
        QTRY_VERIFY(control(w, "picqb")->isVisible());
        QVERIFY(!control(w, "picedit")->isVisible());
        QVERIFY(!modquiz::state().qbchanged);
        QCOMPARE(control<QLineEdit>(w, "txtans2")->text(), QStringLiteral("Answer 1.3"));
    }

    VERIFY_DONE(script);
}

void tst_recent::f1OpensReadme()
{
    LoadedWindow t;
    t.w.show();
    QVERIFY(QTest::qWaitForWindowActive(&t.w));
    bool help = false;
    ScriptedModal modal({[&](QDialog *d) { help = qobject_cast<frmhelp *>(d) != nullptr; }});
    QTest::keyClick(&t.w, Qt::Key_F1);
    QVERIFY(modal.done() && help);
}

void tst_recent::newItemsKeepDesignKeys()
{
    LoadedWindow t;
    QCOMPARE(captions(control<QMenu>(t.w, "mnuedit")),
             QStringList({"&One Chance", "S&huffle Questions", "Shuffle &Answers",
                          "&Review Missed Questions", "&Undo Delete"}));
    QCOMPARE(captions(control<QMenu>(t.w, "mnuquiz")),
             QStringList({"&New Quiz", "&Edit Quiz", "&Run Quiz", "", "&Import...", "Expor&t...",
                          "&Print...", "Export as P&DF...", "Recent &Books", "E&xit"}));
    QCOMPARE(t.w.mnureadme->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_H));

    // Access keys differ within each menu; the only shortcut added is F1.
    QList<QKeySequence> shortcuts;
    for (const QMenu *menu : {control<QMenu>(t.w, "mnuquiz"), control<QMenu>(t.w, "mnuedit"),
                              control<QMenu>(t.w, "mnutools"), control<QMenu>(t.w, "mnuhelp")}) {
        QList<QKeySequence> keys;
        for (const QAction *action : menu->actions()) {
            if (action->isSeparator())
                continue;
            const QKeySequence key = QKeySequence::mnemonic(action->text());
            QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(action->text()));
            keys.append(key);
            for (const QKeySequence &shortcut : action->shortcuts()) {
                QVERIFY2(!shortcuts.contains(shortcut), qPrintable(shortcut.toString()));
                shortcuts.append(shortcut);
            }
        }
    }
    QCOMPARE(shortcuts.size(), 11);
    QVERIFY(shortcuts.contains(QKeySequence(Qt::Key_F1)));
    for (const QAction *action :
         {t.w.mnushufflequestions, t.w.mnushuffleanswers, t.w.mnureviewmissed,
          control<QMenu>(t.w, "mnurecent")->menuAction()})
        QVERIFY(action->shortcut().isEmpty());
}

QTEST_MAIN(tst_recent)
#include "tst_recent.moc"
