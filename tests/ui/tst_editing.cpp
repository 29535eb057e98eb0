// The editing operations of the edit panel as a user goes through them: typing a book with
// the Enter key, Add, Update, Delete, Undo Delete, Save and Close with its prompt.

#include "tests/ui/tst_editsupport.h"

#include "platform/ansi.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

// QTest::keyClicks knows ASCII only; other characters arrive as a key with their text.
void typetext(QWidget *box, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Types a whole question into the focused box and on with Enter alone, as a user does.
void typequestion(const QuestionRecord &q)
{
    QStringList texts{q.question};
    for (const QString &answer : q.answers)
        texts << answer;
    texts << QString::number(q.correct);
    for (const QString &text : texts) {
        QWidget *box = QApplication::focusWidget();
        typetext(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }
}

QList<QuestionRecord> bookquestions(const QString &path)
{
    QBookHeader header;
    QList<QuestionRecord> questions;
    if (!modquiz::parsebook(filebytes(path), header, questions) || questions.isEmpty())
        return {};
    return questions.mid(1);
}

const ExpectedMessage errorsaving{"Error saving file", Ok, "Error"};

} // namespace

class tst_editing : public QObject
{
    Q_OBJECT

private slots:
    void typeBookWithEnterKey();
    void addOnShownQuestionOpensSlot();
    void addWithEmptyBoxStoresNothing();
    void update_data();
    void update();
    void deleteQuestion_data();
    void deleteQuestion();
    void deleteOnSlotDoesNothing();
    void twoDeletesOneUndo();
    void undoDeleteButtons_data();
    void undoDeleteButtons();
    void deleteSaveUndoClose();
    void enterInCorrectBox();
    void close_data();
    void close();
    void fullBook();
    void untouchedTextsSaveByteForByte_data();
    void untouchedTextsSaveByteForByte();
    void pastedLineBreakStoresCrLf();
    void twoAndThreeChoiceQuestions();
};

void tst_editing::typeBookWithEnterKey()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(e.env.writebook("typed.Q", makeheader(0), {})));
    QVERIFY(e.showactive());
    control<QPlainTextEdit>(w, "txtquestion")->setFocus();

    typequestion({"Capital of France?", {"Paris", "Rome", "Oslo", "Bern"}, 1});
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QStringLiteral("2"));
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, "txtquestion"));
    typequestion({QStringLiteral("Caf\u00e9 or th\u00e9?"), {"3", "4", "5", "22"}, 2});
    QCOMPARE(int(modquiz::state().curq), 3);
    QVERIFY(modquiz::state().qbchanged);
    QCOMPARE(e.navstate(), QStringLiteral("1100"));

    w.editpanel().cmdsave_Click();
    QVERIFY(!modquiz::state().qbchanged);
    QCOMPARE(filebytes(e.path), filebytes(TESTDATA "/edit-typed.Q"));
    VERIFY_DONE(e.script);
}

void tst_editing::addOnShownQuestionOpensSlot()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(5));
    auto &s = modquiz::state();
    w.editpanel().cmdnext_Click();
    w.editpanel().cmdnext_Click();
    control<QLineEdit>(w, "txtans3")->setText(QStringLiteral("changed"));
    w.editpanel().cmdadd_Click();
    QCOMPARE(modquiz::lastquestion(), 5);
    QCOMPARE(s.questions[3].answers[3], QStringLiteral("changed"));
    QCOMPARE(int(s.curq), 6);
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QStringLiteral("6"));
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(), QString());
    QCOMPARE(e.navstate(), QStringLiteral("1100"));
    QVERIFY(s.qbchanged);

    // A second Add on the slot appends.
    e.fill(makequestion(6, 4));
    w.editpanel().cmdadd_Click();
    QCOMPARE(modquiz::lastquestion(), 6);
    QCOMPARE(s.questions[6], makequestion(6, 4));
    QCOMPARE(int(s.curq), 7);
    w.editpanel().cmdprev_Click();
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             QStringLiteral("Question 6"));
}

void tst_editing::addWithEmptyBoxStoresNothing()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(2));
    QVERIFY(e.showactive());
    // An empty answer box alone no longer refuses: a three-choice question is sound.
    control<QLineEdit>(w, "txtcorrect")->clear();
    control<QPushButton>(w, "cmdnext")->setFocus();
    w.editpanel().cmdadd_Click();
    QCOMPARE(int(modquiz::state().curq), 1);
    QCOMPARE(modquiz::state().questions[1], makequestion(1, 1));
    QVERIFY(!modquiz::state().qbchanged);
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, "txtquestion"));
}

void tst_editing::update_data()
{
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("nav");
    QTest::newRow("middle") << 3 << 4 << "1111";
    QTest::newRow("end") << 5 << 5 << "1100";
}

void tst_editing::update()
{
    QFETCH(int, at);
    QFETCH(int, shown);
    QFETCH(QString, nav);
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(5));
    QVERIFY(e.showactive());
    auto &s = modquiz::state();
    while (s.curq < at)
        w.editpanel().cmdnext_Click();
    control<QPlainTextEdit>(w, "txtquestion")->setPlainText(QStringLiteral("new text"));
    w.editpanel().cmdupdate_Click();
    QCOMPARE(s.questions[at].question, QStringLiteral("new text"));
    QCOMPARE(int(s.curq), shown);
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QString::number(shown));
    QCOMPARE(e.navstate(), nav);
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(w, "cmdadd"));
    QVERIFY(s.qbchanged);

    // On the new-question slot Update does nothing.
    w.editpanel().cmdadd_Click();
    e.fill(makequestion(9));
    s.qbchanged = false;
    w.editpanel().cmdupdate_Click();
    QCOMPARE(modquiz::lastquestion(), 5);
    QVERIFY(!s.qbchanged);
}

void tst_editing::deleteQuestion_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("at");
    QTest::addColumn<int>("curq");
    QTest::addColumn<QString>("shown");
    QTest::newRow("middle") << 3 << 2 << 2 << "Question 3";
    QTest::newRow("end") << 3 << 3 << 2 << "Question 2";
    QTest::newRow("only") << 1 << 1 << 0 << "";
}

void tst_editing::deleteQuestion()
{
    QFETCH(int, count);
    QFETCH(int, at);
    QFETCH(int, curq);
    QFETCH(QString, shown);
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(count));
    auto &s = modquiz::state();
    while (s.curq < at)
        w.editpanel().cmdnext_Click();
    const QString navbefore = e.navstate();
    w.editpanel().cmddelete_Click();
    QCOMPARE(modquiz::lastquestion(), count - 1);
    QCOMPARE(int(s.curq), curq);
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(), shown);
    QCOMPARE(s.deletedq, makequestion(at, (at - 1) % 4 + 1));
    QVERIFY(s.qbchanged && w.mnueditundodelete->isEnabled());
    if (curq == 0) {
        QVERIFY(s.questions.isEmpty());
        for (const QPushButton *b :
             {control<QPushButton>(w, "cmdfirst"), control<QPushButton>(w, "cmdprev"),
              control<QPushButton>(w, "cmdnext"), control<QPushButton>(w, "cmdlast"),
              control<QPushButton>(w, "cmddelete"), control<QPushButton>(w, "cmdupdate"),
              control<QPushButton>(w, "cmdsave")})
            QVERIFY(!b->isEnabled());
        QVERIFY(control<QPushButton>(w, "cmdadd")->isEnabled() &&
                control<QPushButton>(w, "cmdeditclose")->isEnabled());
    } else {
        QCOMPARE(control<QLabel>(w, "labnum1")->text(), QString::number(curq));
        QCOMPARE(e.navstate(), navbefore);
    }
}

void tst_editing::deleteOnSlotDoesNothing()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(2));
    auto &s = modquiz::state();
    w.editpanel().cmdadd_Click(); // stores question 1 as it is and opens slot 3
    s.qbchanged = false;
    e.fill(makequestion(7));
    QVERIFY(control<QPushButton>(w, "cmddelete")->isEnabled());
    w.editpanel().cmddelete_Click();
    QCOMPARE(modquiz::lastquestion(), 2);
    QCOMPARE(int(s.curq), 3);
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             QStringLiteral("Question 7"));
    QVERIFY(!s.qbchanged && !w.mnueditundodelete->isEnabled());
}

void tst_editing::twoDeletesOneUndo()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(4));
    auto &s = modquiz::state();
    w.editpanel().cmdnext_Click();
    w.editpanel().cmddelete_Click(); // question 2
    w.editpanel().cmddelete_Click(); // question 3, now at 2
    s.qbchanged = false;
    w.mnueditundodelete_Click();
    QCOMPARE(modquiz::lastquestion(), 3);
    QCOMPARE(s.questions[2], makequestion(3, 3));
    QCOMPARE(s.questions[3], makequestion(4, 4));
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             QStringLiteral("Question 3"));
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QStringLiteral("2"));
    QVERIFY(!w.mnueditundodelete->isEnabled());
    QVERIFY(!s.qbchanged);
}

void tst_editing::undoDeleteButtons_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("nav");
    QTest::newRow("position 1") << 3 << 1 << "0011";
    QTest::newRow("position = stored count") << 3 << 3 << "1100";
    QTest::newRow("other position") << 3 << 2 << "1111";
    QTest::newRow("the only question") << 1 << 1 << "0011";
}

void tst_editing::undoDeleteButtons()
{
    QFETCH(int, count);
    QFETCH(int, at);
    QFETCH(QString, nav);
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(count));
    auto &s = modquiz::state();
    while (s.curq < at)
        w.editpanel().cmdnext_Click();
    w.editpanel().cmddelete_Click();
    w.mnueditundodelete_Click();
    QCOMPARE(s.questions, QList<QuestionRecord>{QuestionRecord{}} + makequestions(count));
    QCOMPARE(int(s.curq), at);
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             QStringLiteral("Question %1").arg(at));
    QCOMPARE(e.navstate(), nav);
    for (const QPushButton *b :
         {control<QPushButton>(w, "cmddelete"), control<QPushButton>(w, "cmdupdate"),
          control<QPushButton>(w, "cmdsave")})
        QVERIFY(b->isEnabled());
}

void tst_editing::deleteSaveUndoClose()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(3));
    const QString &path = e.path;
    w.editpanel().cmdnext_Click();
    w.editpanel().cmddelete_Click();
    w.editpanel().cmdsave_Click();
    w.mnueditundodelete_Click();
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             QStringLiteral("Question 2"));
    QVERIFY(!modquiz::state().qbchanged);
    QVERIFY(w.editpanel().cmdeditclose_Click());
    QVERIFY(control(w, "picedit")->isHidden());
    QCOMPARE(bookquestions(path), (QList<QuestionRecord>{makequestion(1, 1), makequestion(3, 3)}));
    VERIFY_DONE(e.script);
}

void tst_editing::enterInCorrectBox()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(5));
    QVERIFY(e.showactive());
    auto &s = modquiz::state();

    // Before the last question Enter only moves on to Next.
    w.editpanel().cmdnext_Click();
    control<QLineEdit>(w, "txtans0")->setText(QStringLiteral("typed"));
    QTest::keyClick(control<QLineEdit>(w, "txtcorrect"), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(w, "cmdnext"));
    QCOMPARE(s.questions[2], makequestion(2, 2));

    // After Undo Delete Next may be off on a question before the last: the focus goes to Add.
    w.editpanel().cmdlast_Click();
    w.editpanel().cmdadd_Click(); // question 5 stored as it is, slot 6
    e.fill(makequestion(6));
    w.editpanel().cmdadd_Click(); // question 6 appended, slot 7
    w.editpanel().cmdprev_Click();
    w.editpanel().cmdprev_Click();
    w.editpanel().cmddelete_Click();
    w.mnueditundodelete_Click(); // back at 5, the stored count: Next and Last off
    QCOMPARE(int(s.curq), 5);
    QVERIFY(!control<QPushButton>(w, "cmdnext")->isEnabled());
    QTest::keyClick(control<QLineEdit>(w, "txtcorrect"), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(w, "cmdadd"));
    QCOMPARE(modquiz::lastquestion(), 6);

    // On the last question Enter stores the boxes there and opens the slot.
    w.editpanel().cmdlast_Click();
    control<QLineEdit>(w, "txtans0")->setText(QStringLiteral("typed"));
    QTest::keyClick(control<QLineEdit>(w, "txtcorrect"), Qt::Key_Return);
    QCOMPARE(s.questions[6].answers[0], QStringLiteral("typed"));
    QCOMPARE(int(s.curq), 7);
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, "txtquestion"));
}

void tst_editing::close_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("savefails");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("saved");
    QTest::newRow("yes") << int(Yes) << false << true << true;
    QTest::newRow("no") << int(No) << false << true << false;
    QTest::newRow("cancel") << int(Cancel) << false << false << false;
    QTest::newRow("yes, save fails") << int(Yes) << true << false << false;
}

void tst_editing::close()
{
    QFETCH(int, answer);
    QFETCH(bool, savefails);
    QFETCH(bool, closed);
    QFETCH(bool, saved);
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(3));
    const QString &path = e.path;
    auto &s = modquiz::state();
    w.editpanel().cmddelete_Click();
    if (savefails)
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));
    const QByteArray before = filebytes(path);

    e.script.expect(
        {"Save Changes you made to " + path + "?", platform::Answer(answer), "Save", YesNoCancel});
    if (savefails)
        e.script.expect(errorsaving); // once: the file that cannot be created has no box of its own
    QCOMPARE(w.editpanel().cmdeditclose_Click(), closed);
    VERIFY_DONE(e.script);
    QCOMPARE(control(w, "picedit")->isHidden(), closed);
    QCOMPARE(s.qbchanged, !closed);
    QCOMPARE(modquiz::lastquestion(), closed ? 0 : 2);
    QCOMPARE(w.mnuinfo->isEnabled(), !closed);
    QCOMPARE(w.mnueditundodelete->isEnabled(), !closed);
    if (saved)
        QCOMPARE(bookquestions(path),
                 (QList<QuestionRecord>{makequestion(2, 2), makequestion(3, 3)}));
    else
        QCOMPARE(filebytes(path), before);
    if (!closed)
        QCOMPARE(s.questions[1], makequestion(2, 2));
}

void tst_editing::fullBook()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(32766));
    auto &s = modquiz::state();
    w.editpanel().cmdlast_Click();
    w.editpanel().cmdadd_Click(); // stores the shown question: the slot's number is 32767
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QStringLiteral("32767"));
    e.fill(makequestion(32767));
    s.qbchanged = false;

    const ExpectedMessage full{"This quiz book is full: it cannot hold more than 32766 questions"};
    e.script.expect(full);
    w.editpanel().cmdadd_Click();
    VERIFY_DONE(e.script);
    QCOMPARE(modquiz::lastquestion(), 32766);
    QCOMPARE(int(s.curq), 32767);
    QVERIFY(!s.qbchanged);

    // Undo Delete has no room either once a question has taken the deleted one's place.
    w.editpanel().cmdfirst_Click();
    w.editpanel().cmddelete_Click();
    w.editpanel().cmdlast_Click();
    w.editpanel().cmdadd_Click();
    e.fill(makequestion(40000));
    w.editpanel().cmdadd_Click();
    QCOMPARE(modquiz::lastquestion(), 32766);
    e.script.expect(full);
    w.mnueditundodelete_Click();
    VERIFY_DONE(e.script);
    QCOMPARE(modquiz::lastquestion(), 32766);
    QVERIFY(w.mnueditundodelete->isEnabled());

    e.script.expect(full);
    e.fill(makequestion(40001));
    w.editpanel().cmdsave_Click();
    VERIFY_DONE(e.script);
    QCOMPARE(bookquestions(e.path).size(), 32766);
}

void tst_editing::untouchedTextsSaveByteForByte_data()
{
    QTest::addColumn<QByteArray>("text");
    QByteArray every;
    for (int b = 1; b <= 255; ++b)
        every.append(char(b));
    QTest::newRow("every byte value") << every;
    QTest::newRow("each kind of line break") << QByteArray("a\r\nb\rc\nd");
    QTest::newRow("breaks at both ends") << QByteArray("\r\nx\r");
    QTest::newRow("runs of breaks") << QByteArray("\n\r\r\n\n\n\r\r");
    QTest::newRow("no-break space") << QByteArray("Capitale\xA0?\r\nline2");
}

// What passes through the boxes untouched is stored untouched: opening a book in the editor
// and saving it with nothing typed rewrites the same bytes, and each stored line break shows
// as a line of the question box.
void tst_editing::untouchedTextsSaveByteForByte()
{
    QFETCH(QByteArray, text);
    Editor e;
    QuestionRecord q{platform::fromansi(text + "Q"), {}, 2};
    for (int i = 0; i < 4; ++i)
        q.answers[i] = platform::fromansi(QByteArray::number(i) + text);
    const QString path = e.env.writebook("bytes.Q", makeheader(2), {q, makequestion(2)});
    const QByteArray before = filebytes(path);
    QVERIFY(e.open(path));

    QByteArray lines = text;
    lines.replace("\r\n", "\n").replace('\r', '\n');
    QCOMPARE(control<QPlainTextEdit>(e.w, "txtquestion")->document()->blockCount(),
             lines.count('\n') + 1);
    e.w.editpanel().cmdsave_Click();
    QCOMPARE(filebytes(path), before);
    VERIFY_DONE(e.script);
}

// A line break the user puts into the question box is stored as CR LF; the stored breaks
// around it keep their kind.
void tst_editing::pastedLineBreakStoresCrLf()
{
    Editor e;
    QuestionRecord q = makequestion(1);
    q.question = QStringLiteral("a\rb\nc");
    QVERIFY(e.open(e.env.writebook("breaks.Q", makeheader(1), {q})));
    auto *box = control<QPlainTextEdit>(e.w, "txtquestion");
    box->moveCursor(QTextCursor::Start);
    box->moveCursor(QTextCursor::NextCharacter);
    QApplication::clipboard()->setText(QStringLiteral("1\n2"));
    box->paste();
    e.w.editpanel().cmdupdate_Click();
    QCOMPARE(modquiz::state().questions[1].question, QStringLiteral("a1\r\n2\rb\nc"));
}

void tst_editing::twoAndThreeChoiceQuestions()
{
    Editor e;
    QVERIFY(e.open(
        e.env.writebook("b.Q", makeheader(2), {{"Rhine?", {"T", "F"}, 1}, makequestion(2)})));
    QVERIFY(e.showactive());
    control<QPlainTextEdit>(e.w, "txtquestion")->setPlainText("Basel?");
    e.w.editpanel().cmdupdate_Click(); // on to question 2, which goes
    e.w.editpanel().cmddelete_Click();
    e.w.editpanel().cmdadd_Click();
    e.script.expect({"The question is not stored: right answer 4 names an empty answer slot"});
    typequestion({"Two?", {"", "a", "b"}, 4});
    control<QLineEdit>(e.w, "txtcorrect")->setText("3");
    e.w.editpanel().cmdadd_Click();
    QCOMPARE(modquiz::state().questions.mid(1),
             (QList<QuestionRecord>{{"Basel?", {"T", "F"}, 1}, {"Two?", {"", "a", "b"}, 3}}));
    VERIFY_DONE(e.script);
}

QTEST_MAIN(tst_editing)
#include "tst_editing.moc"
