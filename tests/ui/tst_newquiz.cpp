// The New Quiz dialog through its handlers and keys: the checks in order, the overwrite
// question, the folder the book goes to, every way creating the file can fail, and the
// hand-over of the empty book to the edit panel.

#include "platform/files.h"
#include "platform/folders.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/dialogs/folderlists.h"
#include "ui/dialogs/frmnewquiz.h"
#include "ui/main/frmquiz.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

// Opens New Quiz the way the menu does and hands the dialog to step.
void usenewquiz(frmquiz &w, const std::function<void(frmnewquiz *)> &step)
{
    ScriptedModal modal({[&](QDialog *d) {
        auto *p = qobject_cast<frmnewquiz *>(d);
        QVERIFY(p);
        step(p);
    }});
    w.mnuquiznew_Click();
    QVERIFY(modal.done());
}

QByteArray headeronly(const QString &category, const QString &author)
{
    return qbook::encodeheader(QBookHeader{category, author, QStringLiteral("QB"), 0});
}

const ExpectedMessage erroropening{"Error Opening file", Ok, "Error"};

} // namespace

class tst_newquiz : public QObject
{
    Q_OBJECT

private slots:
    void missingText_data();
    void missingText();
    void typeAndCreateWithEnter();
    void enterInEmptyBoxes();
    void overwrite_data();
    void overwrite();
    void overwriteLinkLeavesItsTarget();
    void cannotCreate_data();
    void cannotCreate();
    void headerWriteFails();
    void createsInChosenFolder();
    void escAndCloseBoxCancel();
};

void tst_newquiz::missingText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << "Enter a name"
                               << "txtname";
    QTest::newRow("name missing") << ""
                                  << "Cat"
                                  << "Ann"
                                  << "Enter a name"
                                  << "txtname";
    QTest::newRow("category missing") << "book"
                                      << ""
                                      << ""
                                      << "Enter a Catagory"
                                      << "txtcatagory";
    QTest::newRow("author missing") << "book"
                                    << "Cat"
                                    << ""
                                    << "Enter Authers name"
                                    << "txtauthor";
}

void tst_newquiz::missingText()
{
    QFETCH(QString, name);
    QFETCH(QString, category);
    QFETCH(QString, author);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    TestEnvironment env;
    ScriptedMessages script({{message, Ok, "Error"}});
    frmquiz w;
    w.Form_Load({});
    modquiz::state().curq = 4;

    usenewquiz(w, [&](frmnewquiz *p) {
        QSignalSpy closed(p, &QDialog::finished);
        p->txtname->setText(name);
        p->txtcatagory->setText(category);
        p->txtauthor->setText(author);
        p->cmdcancel->setFocus();
        p->cmdcreate_Click();
        QCOMPARE(closed.count(), 0);
        QCOMPARE(focusname(p), focus);
        QCOMPARE(int(modquiz::state().curq), 0);
        p->cmdcancel_Click();
    });
    QVERIFY(!modquiz::state().dlgok);
    QVERIFY(!w.editstarted);
    QVERIFY(QDir(env.folder()).entryList({"*.Q"}, QDir::Files).isEmpty());
    VERIFY_DONE(script);
}

void tst_newquiz::typeAndCreateWithEnter()
{
    LoadedWindow t;
    // A quiz that is running is closed by Create.
    t.w.openbook(t.env.writebook("running.Q", makeheader(2), makequestions(2)), false);
    QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
    auto &s = modquiz::state();
    const QString name35(35, QLatin1Char('n'));

    usenewquiz(t.w, [&](frmnewquiz *p) {
        QCOMPARE(focusname(p), QStringLiteral("txtname"));
        QTest::keyClicks(p->txtname, name35 + "x");
        QCOMPARE(p->txtname->text(), name35);
        QTest::keyClick(p->txtname, Qt::Key_Return);
        QCOMPARE(focusname(p), QStringLiteral("txtcatagory"));
        QTest::keyClicks(p->txtcatagory, "Science");
        QTest::keyClick(p->txtcatagory, Qt::Key_Return);
        QCOMPARE(focusname(p), QStringLiteral("txtauthor"));
        QTest::keyClicks(p->txtauthor, " Sue ");
        QTest::keyClick(p->txtauthor, Qt::Key_Return);
    });
    QCOMPARE(s.qbpath, name35 + ".Q");
    QCOMPARE(filebytes(t.env.path(name35 + ".Q")), headeronly("Science", " Sue "));
    QVERIFY(s.dlgok);
    QVERIFY(t.w.editstarted);
    QVERIFY(platform::isopen(s.bookfile));
    QCOMPARE(platform::openfilecount(), 1);
    QCOMPARE(modquiz::lastquestion(), 0);
    QCOMPARE(int(s.curq), 0);
    QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w));
    QVERIFY(!control(t.w, "picqb")->isVisibleTo(&t.w));
    QCOMPARE(editbuttons(t.w), QStringLiteral("00000001"));
    QVERIFY(t.w.mnuinfo->isEnabled());
    QCOMPARE(control<QLabel>(t.w, "labnum1")->text(), QStringLiteral("1"));
    QCOMPARE(t.w.focusWidget(), control<QPlainTextEdit>(t.w, "txtquestion"));
    VERIFY_DONE(t.script);
}

void tst_newquiz::enterInEmptyBoxes()
{
    TestEnvironment env;
    ScriptedMessages script({{"Enter a name", Ok, "Error"}});
    frmquiz w;
    w.Form_Load({});
    usenewquiz(w, [&](frmnewquiz *p) {
        QTest::keyClick(p->txtname, Qt::Key_Return);
        QCOMPARE(focusname(p), QStringLiteral("txtname"));
        QVERIFY(p->txtname->text().isEmpty());
        p->txtcatagory->setFocus();
        QTest::keyClick(p->txtcatagory, Qt::Key_Return);
        QCOMPARE(focusname(p), QStringLiteral("txtcatagory"));
        // Enter in a filled author box presses Create, which reports the first missing text.
        p->txtauthor->setFocus();
        QTest::keyClick(p->txtauthor, Qt::Key_Return);
        QCOMPARE(focusname(p), QStringLiteral("txtauthor"));
        QTest::keyClicks(p->txtauthor, "Al");
        QTest::keyClick(p->txtauthor, Qt::Key_Return);
        QCOMPARE(focusname(p), QStringLiteral("txtname"));
        QCOMPARE(p->txtauthor->text(), QStringLiteral("Al"));
        p->cmdcancel_Click();
    });
    VERIFY_DONE(script);
}

void tst_newquiz::overwrite_data()
{
    QTest::addColumn<platform::Answer>("answer");
    QTest::newRow("OK replaces the book") << Ok;
    QTest::newRow("Cancel keeps it") << Cancel;
}

void tst_newquiz::overwrite()
{
    QFETCH(platform::Answer, answer);
    TestEnvironment env;
    ScriptedMessages script({{"File already exists! Overwrite?", answer, "Overwrite?", OkCancel}});
    frmquiz w;
    w.Form_Load({});
    const QString old = env.writebook("old.Q", makeheader(3), makequestions(3));
    const QByteArray oldbytes = filebytes(old);
    w.openbook(env.writebook("running.Q", makeheader(2), makequestions(2)), false);

    bool closed = false;
    usenewquiz(w, [&](frmnewquiz *p) {
        QSignalSpy finished(p, &QDialog::finished);
        p->txtname->setText("old");
        p->txtcatagory->setText("New");
        p->txtauthor->setText("Nina");
        p->cmdcreate_Click();
        closed = finished.count() == 1;
        if (answer == Cancel) {
            QVERIFY(p->txtname->text().isEmpty());
            QCOMPARE(focusname(p), QStringLiteral("txtname"));
            p->cmdcancel_Click();
        }
    });
    QCOMPARE(closed, answer == Ok);
    if (answer == Ok) {
        QCOMPARE(filebytes(old), headeronly("New", "Nina"));
        QVERIFY(control(w, "picedit")->isVisibleTo(&w));
        QVERIFY(!control(w, "picqb")->isVisibleTo(&w));
    } else {
        QCOMPARE(filebytes(old), oldbytes);
        // Nothing was closed: the quiz goes on.
        QVERIFY(control(w, "picqb")->isVisibleTo(&w));
        QCOMPARE(modquiz::lastquestion(), 2);
    }
    VERIFY_DONE(script);
}

// "Overwrite?" is about the name in the folder: a link there gives way to the new book, and
// the file it led to, elsewhere, stays as it was.
void tst_newquiz::overwriteLinkLeavesItsTarget()
{
    TestEnvironment env;
    ScriptedMessages script({{"File already exists! Overwrite?", Ok, "Overwrite?", OkCancel}});
    frmquiz w;
    w.Form_Load({});
    QVERIFY(QDir(env.folder()).mkdir("elsewhere"));
    const QString real = env.writebook("elsewhere/real.Q", makeheader(3), makequestions(3));
    const QByteArray realbytes = filebytes(real);
    QVERIFY(QFile::link(real, env.path("old.Q")));

    usenewquiz(w, [&](frmnewquiz *p) {
        p->txtname->setText("old");
        p->txtcatagory->setText("New");
        p->txtauthor->setText("Nina");
        p->cmdcreate_Click();
    });
    VERIFY_DONE(script);
    QCOMPARE(filebytes(real), realbytes);
    QVERIFY(!QFileInfo(env.path("old.Q")).isSymLink());
    QCOMPARE(filebytes(env.path("old.Q")), headeronly("New", "Nina"));
    QVERIFY(control(w, "picedit")->isVisibleTo(&w));
}

void tst_newquiz::cannotCreate_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("existing"); // a file already there, kept byte for byte
    QTest::addColumn<bool>("readonly");
    QTest::newRow("missing folder") << "nofolder/book"
                                    << "" << false;
    QTest::newRow("path through a file") << "plain.txt/book"
                                         << "" << false;
    QTest::newRow("hidden file of that name") << ".secret"
                                              << ".secret.Q" << false;
    QTest::newRow("folder of that name") << "folder"
                                         << "" << false;
    QTest::newRow("read-only old book") << "locked"
                                        << "locked.Q" << true;
}

void tst_newquiz::cannotCreate()
{
    QFETCH(QString, name);
    QFETCH(QString, existing);
    QFETCH(bool, readonly);
    TestEnvironment env;
    ScriptedMessages script;
    if (readonly)
        script.expect({"File already exists! Overwrite?", Ok, "Overwrite?", OkCancel});
    script.expect(erroropening);
    frmquiz w;
    w.Form_Load({});
    QFile plain(env.path("plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    QVERIFY(QDir(env.folder()).mkdir("folder.Q"));
    QByteArray before;
    if (!existing.isEmpty()) {
        before = filebytes(env.writebook(existing, makeheader(2), makequestions(2)));
        if (readonly)
            QVERIFY(QFile::setPermissions(env.path(existing), QFile::ReadOwner));
    }

    usenewquiz(w, [&](frmnewquiz *p) {
        QSignalSpy finished(p, &QDialog::finished);
        p->txtname->setText(name);
        p->txtcatagory->setText("Cat");
        p->txtauthor->setText("Ann");
        p->cmdcreate_Click();
        QCOMPARE(finished.count(), 0);
        QCOMPARE(p->txtname->text(), name);
        p->cmdcancel_Click();
    });
    QVERIFY(!modquiz::state().dlgok);
    QVERIFY(!w.editstarted);
    QVERIFY(!control(w, "picedit")->isVisibleTo(&w));
    QCOMPARE(platform::openfilecount(), 0);
    if (!existing.isEmpty())
        QCOMPARE(filebytes(env.path(existing)), before);
    QVERIFY(QFileInfo(env.path("folder.Q")).isDir());
    VERIFY_DONE(script);
}

void tst_newquiz::headerWriteFails()
{
    TestEnvironment env;
    ScriptedMessages script({{"Error Writing file", Ok, "Error"}});
    frmquiz w;
    w.Form_Load({});
    usenewquiz(w, [&](frmnewquiz *p) {
        QSignalSpy finished(p, &QDialog::finished);
        p->txtname->setText("full");
        p->txtcatagory->setText("Category");
        p->txtauthor->setText("Author");
        {
            const FileSizeLimit disk(4);
            QVERIFY(disk.ok());
            p->cmdcreate_Click();
        }
        QCOMPARE(finished.count(), 0);
        QVERIFY(platform::isopen(modquiz::state().bookfile));
        p->cmdcancel_Click();
    });
    QVERIFY(!modquiz::state().dlgok);
    QVERIFY(!control(w, "picedit")->isVisibleTo(&w));
    VERIFY_DONE(script);
}

void tst_newquiz::createsInChosenFolder()
{
    LoadedWindow t;
    QVERIFY(QDir(t.env.folder()).mkdir("books"));
    const QString books = QDir(t.env.path("books")).canonicalPath();
    usenewquiz(t.w, [&](frmnewquiz *p) {
        QCOMPARE(p->dirnewquiz->path(), QDir(t.env.folder()).canonicalPath());
        const int row = p->dirnewquiz->rowof(books);
        QVERIFY(row > 0);
        p->dirnewquiz->setCurrentRow(row);
        QCOMPARE(platform::currentfolder(), QDir(t.env.folder()).canonicalPath());
        QTest::keyClick(p->dirnewquiz, Qt::Key_Return);
        QCOMPARE(platform::currentfolder(), books);
        p->txtname->setText("placed");
        p->txtcatagory->setText("C");
        p->txtauthor->setText("A");
        p->cmdcreate_Click();
    });
    QCOMPARE(filebytes(t.env.path("books/placed.Q")), headeronly("C", "A"));
    QVERIFY(!QFile::exists(t.env.path("placed.Q")));
    QCOMPARE(platform::currentfolder(), books);
    QCOMPARE(modquiz::state().qbpath, QStringLiteral("placed.Q"));
    VERIFY_DONE(t.script);
}

void tst_newquiz::escAndCloseBoxCancel()
{
    LoadedWindow t;
    usenewquiz(t.w, [&](frmnewquiz *p) {
        QSignalSpy finished(p, &QDialog::finished);
        QTest::keyClicks(p->txtname, "never");
        QTest::keyClick(p->txtname, Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
    });
    usenewquiz(t.w, [&](frmnewquiz *p) {
        QVERIFY(p->txtname->text().isEmpty());
        p->show();
        QSignalSpy finished(p, &QDialog::finished);
        QVERIFY(p->close());
        QCOMPARE(finished.count(), 1);
    });
    QVERIFY(!modquiz::state().dlgok);
    QVERIFY(!control(t.w, "picedit")->isVisibleTo(&t.w));
    QVERIFY(QDir(t.env.folder()).entryList({"*.Q"}, QDir::Files).isEmpty());
    VERIFY_DONE(t.script);
}

QTEST_MAIN(tst_newquiz)
#include "tst_newquiz.moc"
