// The Quiz menu's New, Edit and Exit and the closing of the main window, each with unsaved
// changes answered Yes, No, Cancel and Yes with a save that fails, and what becomes of a
// running quiz when New or Edit is given up.

#include "platform/files.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/dialogs/frmnewquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/frmquiz.h"
#include "ui/main/run/runpanel.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString saveprompt = QStringLiteral("Save Changes you made to book.Q?");

// Opens book.Q for editing as "/E" does and changes its first question without saving.
QString editchanged(TestEnvironment &env, frmquiz &w)
{
    const QString path = env.writebook("book.Q", makeheader(2), makequestions(2));
    w.openbook(QStringLiteral("book.Q"), true);
    control<QPlainTextEdit>(w, "txtquestion")->setPlainText(QStringLiteral("Changed"));
    w.editpanel().cmdupdate_Click();
    return path;
}

bool savedchange(const QString &path)
{
    QBookHeader header;
    QList<QuestionRecord> questions;
    return modquiz::parsebook(filebytes(path), header, questions) && questions.size() > 1 &&
           questions[1].question == QStringLiteral("Changed");
}

// A step that gives up whichever dialog the command showed, with its own Cancel.
void cancelany(QDialog *d)
{
    if (auto *picker = qobject_cast<frmeditquiz *>(d)) {
        QVERIFY(picker->ineditmode());
        picker->cmdcancel_Click();
        return;
    }
    auto *newquiz = qobject_cast<frmnewquiz *>(d);
    QVERIFY(newquiz);
    newquiz->cmdcancel_Click();
}

} // namespace

class tst_commands : public QObject
{
    Q_OBJECT

private slots:
    void unsavedChanges_data();
    void unsavedChanges();
    void newWhileRunningKeepsQuiz();
    void givenUpAfterEditClosesEmptiedRun_data();
    void givenUpAfterEditClosesEmptiedRun();
    void exitEndsWithFilesClosed();
    void saveAsksBeforeOverwritingAnotherProgram();
    void saveWarnsBeforeCuttingLongTexts();
};

void tst_commands::unsavedChanges_data()
{
    QTest::addColumn<QString>("command");
    // Y, N, C answer the prompt; F a save that fails; a second letter answers Close's own
    // prompt after the failure; "-" no unsaved changes.
    QTest::addColumn<QString>("answers");
    QTest::addColumn<bool>("dialog");
    QTest::addColumn<bool>("ends");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<bool>("stillediting");

    for (const QString command : {"new", "edit"}) {
        const QByteArray c = command.toLatin1();
        QTest::newRow(c + " nothing to save") << command << "-" << true << false << false << false;
        QTest::newRow(c + " yes") << command << "Y" << true << false << true << false;
        QTest::newRow(c + " no") << command << "N" << true << false << false << false;
        QTest::newRow(c + " cancel") << command << "C" << false << false << false << true;
        QTest::newRow(c + " failed save, cancel")
            << command << "FC" << false << false << false << true;
        QTest::newRow(c + " failed save, no") << command << "FN" << true << false << false << false;
    }
    for (const QString command : {"exit", "close"}) {
        const QByteArray c = command.toLatin1();
        QTest::newRow(c + " nothing to save") << command << "-" << false << true << false << false;
        QTest::newRow(c + " yes") << command << "Y" << false << true << true << false;
        QTest::newRow(c + " no") << command << "N" << false << true << false << false;
        QTest::newRow(c + " cancel") << command << "C" << false << false << false << true;
        QTest::newRow(c + " failed save") << command << "F" << false << false << false << true;
    }
}

void tst_commands::unsavedChanges()
{
    QFETCH(QString, command);
    QFETCH(QString, answers);
    QFETCH(bool, dialog);
    QFETCH(bool, ends);
    QFETCH(bool, saved);
    QFETCH(bool, stillediting);
    TestEnvironment env;
    ScriptedMessages script;
    ScriptedModal modal;
    ProcessEndRecorder end;
    frmquiz w;
    w.Form_Load({});
    const QString path = editchanged(env, w);
    const QByteArray before = filebytes(path);
    auto &s = modquiz::state();
    if (answers == "-") {
        w.editpanel().cmdsave_Click();
        QVERIFY(!s.qbchanged);
    }
    QVERIFY(s.qbchanged == (answers != "-"));

    for (const QChar answer : answers) {
        if (answer == 'Y') {
            script.expect({saveprompt, Yes, "Save", YesNoCancel});
        } else if (answer == 'N') {
            script.expect({saveprompt, No, "Save", YesNoCancel});
        } else if (answer == 'C') {
            script.expect({saveprompt, Cancel, "Save", YesNoCancel});
        } else if (answer == 'F') {
            // A book without its write permission cannot be replaced.
            QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
            // One box for the failed save, not one for the file and one for the save.
            script.expect({saveprompt, Yes, "Save", YesNoCancel});
            script.expect({"Error saving file", Ok, "Error"});
        }
    }
    if (dialog)
        modal.add(cancelany);

    bool closed = false;
    if (command == "new")
        w.mnuquiznew_Click();
    else if (command == "edit")
        w.mnuquizedit_Click();
    else if (command == "exit")
        w.mnuquizexit_Click();
    else
        closed = w.Form_QueryUnload();

    VERIFY_DONE(script);
    QVERIFY(modal.done());
    QCOMPARE(modal.shown(), dialog ? 1 : 0);
    QCOMPARE(end.ended() || closed, ends);
    if (answers != "-")
        QCOMPARE(savedchange(path), saved);
    if (!saved && answers != "-")
        QCOMPARE(filebytes(path), before);
    // A window that closes takes its panels with it.
    if (!closed)
        QCOMPARE(control(w, "picedit")->isVisibleTo(&w), stillediting);
    if (stillediting) {
        // The book and its changes are all still there.
        QVERIFY(s.qbchanged);
        QCOMPARE(modquiz::lastquestion(), 2);
        QCOMPARE(s.questions[1].question, QStringLiteral("Changed"));
    } else {
        QCOMPARE(modquiz::lastquestion(), 0);
    }
    if (dialog)
        QVERIFY(!s.dlgok);
    if (ends)
        QCOMPARE(platform::openfilecount(), 0);
}

void tst_commands::newWhileRunningKeepsQuiz()
{
    LoadedWindow t;
    t.w.openbook(t.env.writebook("run.Q", makeheader(2), makequestions(2)), false);
    QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
    QVERIFY(!t.w.editstarted);

    ScriptedModal modal({cancelany});
    t.w.mnuquiznew_Click();
    QVERIFY(modal.done());
    QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
    QCOMPARE(modquiz::lastquestion(), 2);
    t.script.expect({"Your answer is correct 10 points added to your score"});
    t.script.expect({"Quiz is over \rYour score is 10 out of 20", Ok, "Quiz Over"});
    t.w.runpanel().cmdans_Click(0);
    t.w.runpanel().cmdskip_Click();
    QVERIFY(!control(t.w, "picqb")->isVisibleTo(&t.w));
    VERIFY_DONE(t.script);
}

void tst_commands::givenUpAfterEditClosesEmptiedRun_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("closebox");
    QTest::newRow("new, cancelled") << "new" << false;
    QTest::newRow("new, close box") << "new" << true;
    QTest::newRow("edit, cancelled") << "edit" << false;
    QTest::newRow("edit, close box") << "edit" << true;
}

void tst_commands::givenUpAfterEditClosesEmptiedRun()
{
    QFETCH(QString, command);
    QFETCH(bool, closebox);
    LoadedWindow t;
    t.env.writebook("edited.Q", makeheader(1), makequestions(1));
    t.env.writebook("run.Q", makeheader(3), makequestions(3));
    t.w.openbook(QStringLiteral("edited.Q"), true);
    QVERIFY(t.w.editstarted);
    {
        ScriptedModal modal({[](QDialog *d) {
            auto *picker = qobject_cast<frmeditquiz *>(d);
            QVERIFY(picker);
            picker->txtfname->setText("run.Q");
            picker->cmdedit_Click();
        }});
        t.w.mnuquizrun_Click();
        QVERIFY(modal.done());
    }
    QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
    QCOMPARE(modquiz::lastquestion(), 3);

    ScriptedModal modal({[&](QDialog *d) {
        if (!closebox) {
            cancelany(d);
            return;
        }
        d->show();
        QVERIFY(d->close());
    }});
    if (command == "new")
        t.w.mnuquiznew_Click();
    else
        t.w.mnuquizedit_Click();
    QVERIFY(modal.done());
    // The edit panel's Close emptied the question list: the run cannot go on and is closed.
    QVERIFY(!control(t.w, "picqb")->isVisibleTo(&t.w));
    QVERIFY(!control(t.w, "picedit")->isVisibleTo(&t.w));
    QCOMPARE(platform::openfilecount(), 0);
    VERIFY_DONE(t.script);
}

void tst_commands::exitEndsWithFilesClosed()
{
    TestEnvironment env;
    ScriptedMessages script;
    ProcessEndRecorder end;
    frmquiz w;
    w.Form_Load({});
    w.openbook(env.writebook("run.Q", makeheader(2), makequestions(2)), false);
    QVERIFY(platform::openfilecount() > 0);
    w.mnuquizexit_Click();
    QVERIFY(end.ended());
    QCOMPARE(platform::openfilecount(), 0);
    QCOMPARE(modquiz::lastquestion(), 0);
    QCOMPARE(int(modquiz::state().curq), 0);
    VERIFY_DONE(script);
}

// Two copies of the program on one book: the second save would silently undo the first's.
// Save asks first; No keeps the book in memory, unsaved.
void tst_commands::saveAsksBeforeOverwritingAnotherProgram()
{
    LoadedWindow t;
    const QString path = editchanged(t.env, t.w);
    auto &s = modquiz::state();

    // The other copy deleted question 2 and saved, replacing the file.
    const QByteArray other =
        qbook::encodeheader(makeheader(1)) + qbook::encoderecord(makequestion(1));
    QVERIFY(platform::replacefile(t.env.path("book.Q"), other) == platform::ReplaceResult::Ok);
    const QString changed = QStringLiteral("The file book.Q was changed by another program since "
                                           "it was opened. Overwrite it?");
    t.script.expect({changed, No, "Save", YesNo});
    t.w.editpanel().cmdsave_Click();
    VERIFY_DONE(t.script);
    QVERIFY(s.qbchanged);
    QCOMPARE(filebytes(path), other);

    t.script.expect({changed, Yes, "Save", YesNo});
    t.w.editpanel().cmdsave_Click();
    VERIFY_DONE(t.script);
    QVERIFY(!s.qbchanged);
    QVERIFY(savedchange(path));

    // Its own save is nothing to ask about.
    t.w.editpanel().cmdsave_Click();
    VERIFY_DONE(t.script);
}

// A book made elsewhere can hold texts longer than a file this program writes may: Save says
// how many will be cut, and Cancel keeps the book unsaved.
void tst_commands::saveWarnsBeforeCuttingLongTexts()
{
    LoadedWindow t;
    const auto counted = [](const QByteArray &text) {
        const auto n = static_cast<quint16>(text.size());
        return QByteArray(1, char(n & 0xFF)) + QByteArray(1, char(n >> 8)) + text;
    };
    QByteArray bytes = counted("Cat") + counted(QByteArray(33000, 'a')) + counted("QB") +
                       QByteArray("\x01\x00", 2);
    bytes += counted(QByteArray(40000, 'q'));
    for (const QByteArray &answer :
         {QByteArray("A"), QByteArray(32768, 'b'), QByteArray("C"), QByteArray("D")})
        bytes += counted(answer);
    bytes += '\x01';
    QFile file(t.env.path("long.Q"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    t.w.openbook(QStringLiteral("long.Q"), true);
    auto &s = modquiz::state();
    QCOMPARE(s.questions[1].question.size(), 40000);

    const QString cut =
        QStringLiteral("3 texts are longer than 32767 bytes and will be shortened. Save anyway?");
    t.script.expect({cut, Cancel, "Save", OkCancel});
    t.w.editpanel().cmdsave_Click();
    VERIFY_DONE(t.script);
    QVERIFY(s.qbchanged);
    QCOMPARE(filebytes(file.fileName()), bytes);

    t.script.expect({cut, Ok, "Save", OkCancel});
    t.w.editpanel().cmdsave_Click();
    VERIFY_DONE(t.script);
    QVERIFY(!s.qbchanged);
    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(file.fileName()), header, questions));
    QCOMPARE(header.author.size(), qbook::maxtextbytes);
    QCOMPARE(questions[1].question.size(), qbook::maxtextbytes);
    QCOMPARE(questions[1].answers[1].size(), qbook::maxtextbytes);
}

QTEST_MAIN(tst_commands)
#include "tst_commands.moc"
