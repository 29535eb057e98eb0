// The edit panel's boxes and buttons: the key rules of each box, the transfer between the
// boxes and the working record, the entry states and navigation.

#include "tests/ui/tst_editsupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

void typeinto(QWidget *box, const QString &text)
{
    box->setFocus();
    QTest::keyClicks(box, text);
}

} // namespace

class tst_editpanel : public QObject
{
    Q_OBJECT

private slots:
    void tabWalksDesignOrder();
    void enterWalksTheBoxes();
    void correctBoxFilter_data();
    void correctBoxFilter();
    void pasteIntoCorrectBox();
    void textLimitHoldsForTypingAndPasting();
    void readboxesCorrect_data();
    void readboxesCorrect();
    void boxesfilledNeedsEveryBox_data();
    void boxesfilledNeedsEveryBox();
    void entryStates_data();
    void entryStates();
    void navigationFindsEndsLazily();
    void navigationThrowsTypingAway();
    void undoShortcutWorksFromABox();
};

void tst_editpanel::tabWalksDesignOrder()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(3));
    QVERIFY(e.showactive());
    control<QPlainTextEdit>(w, "txtquestion")->setFocus();
    QStringList seen{QApplication::focusWidget()->objectName()};
    for (int i = 0; i < 14; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen << QApplication::focusWidget()->objectName();
    }
    const QStringList expected = {"txtquestion",  "txtans0",  "txtans1",   "txtans2", "txtans3",
                                  "txtcorrect",   "cmdfirst", "cmdlast",   "cmdprev", "cmdnext",
                                  "cmdeditclose", "cmdsave",  "cmddelete", "cmdadd",  "cmdupdate"};
    QCOMPARE(seen, expected);
}

void tst_editpanel::enterWalksTheBoxes()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(0));
    QVERIFY(e.showactive());
    const QList<QWidget *> chain = {
        control<QPlainTextEdit>(w, "txtquestion"), control<QLineEdit>(w, "txtans0"),
        control<QLineEdit>(w, "txtans1"),          control<QLineEdit>(w, "txtans2"),
        control<QLineEdit>(w, "txtans3"),          control<QLineEdit>(w, "txtcorrect")};
    chain[0]->setFocus();
    for (int i = 0; i + 1 < chain.size(); ++i) {
        QCOMPARE(QApplication::focusWidget(), chain[i]);
        QTest::keyClicks(chain[i], QStringLiteral("ab"));
        QTest::keyClick(chain[i], Qt::Key_Return);
    }
    QCOMPARE(QApplication::focusWidget(), control<QLineEdit>(w, "txtcorrect"));
    // Enter never types: the multi-line question box holds no line break.
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(), QStringLiteral("ab"));
    QTest::keyClick(control<QPlainTextEdit>(w, "txtquestion"), Qt::Key_Enter, Qt::ShiftModifier);
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(), QStringLiteral("ab"));
}

void tst_editpanel::correctBoxFilter_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");
    QTest::newRow("1 to 4 pass") << ""
                                 << "1"
                                 << "1";
    QTest::newRow("4 passes") << ""
                              << "4"
                              << "4";
    QTest::newRow("5") << ""
                       << "5"
                       << "";
    QTest::newRow("0") << ""
                       << "0"
                       << "";
    QTest::newRow("letter") << ""
                            << "a"
                            << "";
    QTest::newRow("blank") << ""
                           << " "
                           << "";
    QTest::newRow("one character at most") << "3"
                                           << "4"
                                           << "3";
    QTest::newRow("backspace swallowed") << "3"
                                         << "\b"
                                         << "3";
}

void tst_editpanel::correctBoxFilter()
{
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);
    Editor e;
    auto &w = e.w;
    control<QLineEdit>(w, "txtcorrect")->setText(before);
    control<QLineEdit>(w, "txtcorrect")->setFocus();
    if (typed == QLatin1String("\b"))
        QTest::keyClick(control<QLineEdit>(w, "txtcorrect"), Qt::Key_Backspace);
    else
        QTest::keyClicks(control<QLineEdit>(w, "txtcorrect"), typed);
    QCOMPARE(control<QLineEdit>(w, "txtcorrect")->text(), after);
}

// Only one character 1 to 4 ever reaches the Correct box, whether typed, pasted (Ctrl+V or
// the menu), dropped or committed by an input method.
void tst_editpanel::pasteIntoCorrectBox()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.showactive());
    QLineEdit *box = control<QLineEdit>(w, "txtcorrect");
    box->setFocus();
    const std::function<void(const QString &)> ways[] = {
        [box](const QString &text) {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        },
        [box](const QString &text) {
            QApplication::clipboard()->setText(text);
            box->paste();
        },
        [box](const QString &text) {
            QMimeData data;
            data.setText(text);
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QApplication::sendEvent(box, &enter);
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(box, &drop);
        },
        [box](const QString &text) {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(box, &commit);
        },
    };
    for (const auto &put : ways) {
        for (const char *text : {"9", "0", "7x", "x", " 3"}) {
            box->clear();
            put(text);
            QVERIFY2(box->text().isEmpty(), text);
        }
        box->clear();
        put("2");
        QCOMPARE(box->text(), QStringLiteral("2"));
    }
    w.editpanel().readboxes();
    QCOMPARE(int(modquiz::state().workq.correct), 2);
}

void tst_editpanel::textLimitHoldsForTypingAndPasting()
{
    Editor e;
    auto &w = e.w;
    auto *q = control<QPlainTextEdit>(w, "txtquestion");
    q->setPlainText(QString(32760, QLatin1Char('x')));
    q->moveCursor(QTextCursor::End);
    QApplication::clipboard()->setText(QString(20, QLatin1Char('y')));
    q->paste();
    QCOMPARE(q->toPlainText().size(), 32767);
    QVERIFY(q->toPlainText().endsWith(QString(7, QLatin1Char('y'))));
    QTest::keyClicks(q, QStringLiteral("z"));
    QCOMPARE(q->toPlainText().size(), 32767);

    // Replacing a selection frees its bytes; a character outside the code page is one byte
    // in the file and is never split in half.
    q->moveCursor(QTextCursor::End);
    q->moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
    QApplication::clipboard()->setText(QStringLiteral("\U0001F600z"));
    q->paste();
    QVERIFY(q->toPlainText().endsWith(QStringLiteral("y\U0001F600")));

    QApplication::clipboard()->setText(QString(40000, QLatin1Char('a')));
    control<QLineEdit>(w, "txtans2")->paste();
    QCOMPARE(control<QLineEdit>(w, "txtans2")->text().size(), 32767);
}

void tst_editpanel::readboxesCorrect_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("correct");
    QTest::newRow("digit") << "3" << 3;
    QTest::newRow("outside 1 to 4") << "7" << 7;
    QTest::newRow("letter") << "a" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("leading blanks") << "  2" << 2;
    QTest::newRow("too big for a byte") << "256" << 0;
}

void tst_editpanel::readboxesCorrect()
{
    QFETCH(QString, text);
    QFETCH(int, correct);
    Editor e;
    auto &w = e.w;
    control<QLineEdit>(w, "txtcorrect")->setMaxLength(3);
    control<QLineEdit>(w, "txtcorrect")->setText(text);
    w.editpanel().readboxes();
    QCOMPARE(int(modquiz::state().workq.correct), correct);

    // Whatever fillboxes shows reads back unchanged, numbers of several digits included.
    for (int stored : {0, 4, 10, 255}) {
        auto &workq = modquiz::state().workq;
        workq = makequestion(1, stored);
        w.editpanel().fillboxes();
        workq = QuestionRecord{};
        w.editpanel().readboxes();
        QCOMPARE(workq, makequestion(1, stored));
    }
}

void tst_editpanel::boxesfilledNeedsEveryBox_data()
{
    QTest::addColumn<int>("emptybox");
    QTest::addColumn<bool>("filled");
    QTest::newRow("all filled, blanks count") << -1 << true;
    for (int box = 0; box < 6; ++box)
        QTest::addRow("box %d empty", box) << box << false;
}

void tst_editpanel::boxesfilledNeedsEveryBox()
{
    QFETCH(int, emptybox);
    QFETCH(bool, filled);
    Editor e;
    auto &w = e.w;
    control<QPlainTextEdit>(w, "txtquestion")
        ->setPlainText(emptybox == 0 ? QString() : QStringLiteral(" "));
    for (int i = 0; i < 4; ++i)
        control<QLineEdit>(w, "txtans" + QString::number(i))
            ->setText(emptybox == i + 1 ? QString() : QStringLiteral(" "));
    control<QLineEdit>(w, "txtcorrect")->setText(emptybox == 5 ? QString() : QStringLiteral("1"));
    QCOMPARE(w.editpanel().boxesfilled(), filled);
}

void tst_editpanel::entryStates_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("nav");
    QTest::addColumn<bool>("editing");
    QTest::newRow("empty") << 0 << "0000" << false;
    QTest::newRow("one") << 1 << "0000" << true;
    QTest::newRow("several") << 4 << "1111" << true;
}

void tst_editpanel::entryStates()
{
    QFETCH(int, count);
    QFETCH(QString, nav);
    QFETCH(bool, editing);
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(count));
    QCOMPARE(e.navstate(), nav);
    for (const QPushButton *b :
         {control<QPushButton>(w, "cmddelete"), control<QPushButton>(w, "cmdupdate"),
          control<QPushButton>(w, "cmdsave")})
        QCOMPARE(b->isEnabled(), editing);
    QVERIFY(control<QPushButton>(w, "cmdadd")->isEnabled() && w.mnuinfo->isEnabled());
    QVERIFY(!w.mnueditundodelete->isEnabled());
    QCOMPARE(int(modquiz::state().curq), count == 0 ? 0 : 1);
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             count == 0 ? QString() : "Question 1");
    QCOMPARE(control<QLineEdit>(w, "txtcorrect")->text(), count == 0 ? QString() : "1");
}

void tst_editpanel::navigationFindsEndsLazily()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(10));
    QVERIFY(e.showactive());
    auto &s = modquiz::state();
    control<QPlainTextEdit>(w, "txtquestion")->setFocus();

    w.editpanel().cmdprev_Click();
    QCOMPARE(int(s.curq), 1);
    QCOMPARE(e.navstate(), QStringLiteral("0011"));
    w.editpanel().cmdnext_Click();
    QCOMPARE(control<QLineEdit>(w, "txtans1")->text(), QStringLiteral("Answer 2.2"));
    QCOMPARE(e.navstate(), QStringLiteral("1111"));
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, "txtquestion"));

    w.editpanel().cmdlast_Click();
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QStringLiteral("10"));
    QCOMPARE(e.navstate(), QStringLiteral("1100"));
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(w, "cmdadd"));

    w.editpanel().cmdprev_Click();
    control<QPlainTextEdit>(w, "txtquestion")->setFocus();
    QCOMPARE(e.navstate(), QStringLiteral("1111"));
    w.editpanel().cmdnext_Click(); // to 10, which is not yet known to be the end
    QCOMPARE(e.navstate(), QStringLiteral("1111"));
    QCOMPARE(QApplication::focusWidget(), control<QPlainTextEdit>(w, "txtquestion"));
    w.editpanel().cmdnext_Click();
    QCOMPARE(int(s.curq), 10);
    QCOMPARE(e.navstate(), QStringLiteral("1100"));
    QCOMPARE(QApplication::focusWidget(), control<QPushButton>(w, "cmdadd"));

    w.editpanel().cmdfirst_Click();
    QCOMPARE(control<QLabel>(w, "labnum1")->text(), QStringLiteral("1"));
    QCOMPARE(e.navstate(), QStringLiteral("0011"));
    QVERIFY(!s.qbchanged);
}

void tst_editpanel::navigationThrowsTypingAway()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(3));
    const auto before = modquiz::state().questions;
    using Press = void (EditPanel::*)();
    for (Press press : {&EditPanel::cmdnext_Click, &EditPanel::cmdprev_Click,
                        &EditPanel::cmdlast_Click, &EditPanel::cmdfirst_Click}) {
        typeinto(control<QLineEdit>(w, "txtans0"), QStringLiteral(" typed"));
        (w.editpanel().*press)();
        const int k = modquiz::state().curq;
        QCOMPARE(control<QLineEdit>(w, "txtans0")->text(), QStringLiteral("Answer %1.1").arg(k));
    }
    QCOMPARE(modquiz::state().questions, before);
    QVERIFY(!modquiz::state().qbchanged);
}

void tst_editpanel::undoShortcutWorksFromABox()
{
    Editor e;
    auto &w = e.w;
    QVERIFY(e.open(3));
    QVERIFY(e.showactive());
    w.editpanel().cmddelete_Click();
    typeinto(control<QPlainTextEdit>(w, "txtquestion"), QStringLiteral("x"));
    QTest::keyClick(control<QPlainTextEdit>(w, "txtquestion"), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(modquiz::lastquestion(), 3);
    QCOMPARE(control<QPlainTextEdit>(w, "txtquestion")->toPlainText(),
             QStringLiteral("Question 1"));
    QVERIFY(!w.mnueditundodelete->isEnabled());

    // With Undo Delete off, Ctrl+Z is the box's own undo again.
    typeinto(control<QLineEdit>(w, "txtans0"), QStringLiteral("x"));
    QTest::keyClick(control<QLineEdit>(w, "txtans0"), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(control<QLineEdit>(w, "txtans0")->text(), QStringLiteral("Answer 1.1"));
    QCOMPARE(modquiz::lastquestion(), 3);
}

QTEST_MAIN(tst_editpanel)
#include "tst_editpanel.moc"
