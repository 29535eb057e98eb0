// Whole quizzes taken through the run panel's handlers, with every message scripted.
#include "platform/files.h"
#include "platform/settings.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/main/frmquiz.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

const QString right10 = QStringLiteral("Your answer is correct 10 points added to your score");
const QString right5 = QStringLiteral("Your answer is correct 5 points added to your score");
const QString tryagain = QStringLiteral("Sorry, Your answer is wrong \rPlease try again");

QString reveal(const QString &answer)
{
    return QStringLiteral("Sorry your answer is wrong\r\nCorrect answer is ") + answer;
}

ExpectedMessage quizover(int score, int maximum)
{
    return {QStringLiteral("Quiz is over \rYour score is %1 out of %2").arg(score).arg(maximum), Ok,
            QStringLiteral("Quiz Over")};
}

ExpectedMessage winner(int score)
{
    return {QStringLiteral("Congragulations You Won The Quiz\r\nYour Score is :%1\r\n"
                           "Have a nice day")
                .arg(score),
            Ok, QStringLiteral("Winner")};
}

void storeonechance(bool on)
{
    platform::writesetting(QStringLiteral("Tarvel"), QStringLiteral("General"),
                           QStringLiteral("onechance"),
                           on ? QStringLiteral("True") : QStringLiteral("False"));
}

// Starts the program on a book written into the environment, as "quiz book.Q" does.
std::unique_ptr<frmquiz> openforrun(const TestEnvironment &env,
                                    const QList<QuestionRecord> &questions, bool onechance,
                                    int count = -1)
{
    const QString path = env.writebook(
        QStringLiteral("book.Q"),
        makeheader(static_cast<qint16>(count < 0 ? questions.size() : count)), questions);
    storeonechance(onechance);
    auto window = std::make_unique<frmquiz>();
    window->Form_Load(Launch::run(path));
    window->show();
    return window;
}

bool allanswersenabled(const frmquiz &window)
{
    for (int i = 0; i < 4; ++i) {
        if (!control<QPushButton>(window, "cmdans" + QString::number(i))->isEnabled())
            return false;
    }
    return true;
}

// The run has closed itself: panel hidden, book file closed, nothing left to ask.
void verifyclosed(const frmquiz &window)
{
    QVERIFY(!control(window, "picqb")->isVisible());
    QVERIFY(!control(window, "picedit")->isVisible());
    QCOMPARE(platform::openfilecount(), 0);
    QCOMPARE(modquiz::lastquestion(), 0);
    QCOMPARE(modquiz::state().curq, qint16(0));
    QCOMPARE(window.runpanel().score(), 0);
    QVERIFY(!window.runpanel().secondtry());
    QVERIFY(allanswersenabled(window));
}

} // namespace

class tst_runpanel : public QObject
{
    Q_OBJECT

private slots:
    void startShowsQuestionOne();
    void oneQuestionRightWins();
    void wrongThenRightScoresFive();
    void oneChanceWrongEndsAndDisablesOneChance();
    void skippingEveryQuestionScoresZero();
    void countLargerThanLoadedQuestions();
    void secondTryButtonStates();
    void focusGoesToSkipAfterAnAnswer();
    void oneChanceToggledDuringRunChangesNothing();
    void correctOutsideOneToFour_data();
    void correctOutsideOneToFour();
    void largeBookScores_data();
    void largeBookScores();
    void closeMidRunShowsNoScore();
    void runCommandStartsAFreshRun();
    void runCommandCancelledKeepsRunningQuiz();
    void runCommandCancelledAfterEditClosesDeadRun();
    void runCommandCancelledAtSavePromptChangesNothing();
};

void tst_runpanel::startShowsQuestionOne()
{
    TestEnvironment env;
    ScriptedMessages script;
    auto window = openforrun(env, makequestions(3), true);
    QVERIFY(control(*window, "picqb")->isVisible());
    QVERIFY(!control(*window, "picedit")->isVisible());
    QCOMPARE(control<QLabel>(*window, "labquestion")->text(), QStringLiteral("Question 1"));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(control<QLabel>(*window, "labans" + QString::number(i))->text(),
                 QStringLiteral("Answer 1.%1").arg(i + 1));
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("1"));
    QCOMPARE(modquiz::state().curq, qint16(1));
    QVERIFY(modquiz::state().dlgok);
    QCOMPARE(platform::openfilecount(), 1);
    VERIFY_DONE(script);
}

void tst_runpanel::oneQuestionRightWins()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}, winner(10)});
    auto window = openforrun(env, {makequestion(1, 2)}, true);
    window->runpanel().cmdans_Click(1);
    VERIFY_DONE(script);
    verifyclosed(*window);
    QVERIFY(window->mnuonechance->isEnabled());
}

void tst_runpanel::wrongThenRightScoresFive()
{
    TestEnvironment env;
    ScriptedMessages script({{tryagain}, {right5}, quizover(5, 10)});
    auto window = openforrun(env, {makequestion(1, 2)}, false);
    window->runpanel().cmdans_Click(0);
    QVERIFY(window->runpanel().secondtry());
    QCOMPARE(window->runpanel().score(), 0);
    window->runpanel().cmdans_Click(1);
    VERIFY_DONE(script);
    verifyclosed(*window);
    QVERIFY(window->mnuonechance->isEnabled());
}

void tst_runpanel::oneChanceWrongEndsAndDisablesOneChance()
{
    TestEnvironment env;
    ScriptedMessages script({{reveal(QStringLiteral("Answer 1.2"))}, quizover(0, 10)});
    auto window = openforrun(env, {makequestion(1, 2)}, true);
    window->runpanel().cmdans_Click(3);
    VERIFY_DONE(script);
    verifyclosed(*window);
    QVERIFY(!window->mnuonechance->isEnabled());

    // Only the wrong last answer of a one-chance run disables the option.
    ScriptedMessages more(
        {{reveal(QStringLiteral("Answer 1.2"))}, {tryagain}, {right5}, quizover(5, 20)});
    TestEnvironment again;
    auto second = openforrun(again, {makequestion(1, 2), makequestion(2, 3)}, true);
    second->runpanel().cmdans_Click(0);
    second->runpanel().setonechance(false);
    second->runpanel().cmdans_Click(0);
    second->runpanel().cmdans_Click(2);
    VERIFY_DONE(more);
    QVERIFY(second->mnuonechance->isEnabled());
}

void tst_runpanel::skippingEveryQuestionScoresZero()
{
    TestEnvironment env;
    ScriptedMessages script({quizover(0, 40)});
    auto window = openforrun(env, makequestions(4), false);
    for (int k = 1; k <= 4; ++k) {
        QCOMPARE(control<QLabel>(*window, "labnum")->text(), QString::number(k));
        QCOMPARE(control<QLabel>(*window, "labquestion")->text(),
                 QStringLiteral("Question %1").arg(k));
        window->runpanel().cmdskip_Click();
    }
    VERIFY_DONE(script);
    verifyclosed(*window);
}

void tst_runpanel::countLargerThanLoadedQuestions()
{
    TestEnvironment env;
    // Every answer right, but the header promises five questions: no "Winner".
    ScriptedMessages script({{right10}, {right10}, quizover(20, 50)});
    auto window = openforrun(env, makequestions(2), true, 5);
    window->runpanel().cmdans_Click(0);
    window->runpanel().cmdans_Click(1);
    VERIFY_DONE(script);
    verifyclosed(*window);
}

void tst_runpanel::secondTryButtonStates()
{
    TestEnvironment env;
    ScriptedMessages script({{tryagain}, {reveal(QStringLiteral("Answer 1.1"))}});
    auto window = openforrun(env, makequestions(2), false);
    window->runpanel().cmdans_Click(1);
    QCOMPARE(window->runpanel().wrongbutton(), quint8(1));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(control<QPushButton>(*window, "cmdans" + QString::number(i))->isEnabled(), i != 1);
    QCOMPARE(control<QLabel>(*window, "labquestion")->text(), QStringLiteral("Question 1"));

    // Another wrong answer at the second try reveals and moves on with all four buttons.
    window->runpanel().cmdans_Click(2);
    QVERIFY(allanswersenabled(*window));
    QVERIFY(!window->runpanel().secondtry());
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));
    QCOMPARE(control<QLabel>(*window, "labquestion")->text(), QStringLiteral("Question 2"));

    // Skip during a second try gives the next question a first try.
    script.expect({tryagain});
    script.expect(quizover(0, 20));
    window->runpanel().cmdans_Click(3);
    QVERIFY(!control<QPushButton>(*window, "cmdans3")->isEnabled());
    window->runpanel().cmdskip_Click();
    VERIFY_DONE(script);
    verifyclosed(*window);
}

void tst_runpanel::focusGoesToSkipAfterAnAnswer()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}, {tryagain}});
    auto window = openforrun(env, makequestions(3), false);
    control<QPushButton>(*window, "cmdans0")->setFocus();
    window->runpanel().cmdans_Click(0);
    QCOMPARE(window->focusWidget(), control<QPushButton>(*window, "cmdskip"));
    control<QPushButton>(*window, "cmdans2")->setFocus();
    window->runpanel().cmdans_Click(0);
    QCOMPARE(window->focusWidget(), control<QPushButton>(*window, "cmdskip"));
    VERIFY_DONE(script);
}

void tst_runpanel::oneChanceToggledDuringRunChangesNothing()
{
    TestEnvironment env;
    ScriptedMessages script({{reveal(QStringLiteral("Answer 1.1"))}});
    auto window = openforrun(env, makequestions(2), true);
    window->mnuonechance_Click();
    QVERIFY(!window->mnuonechance->isChecked());
    QCOMPARE(platform::readsetting(QStringLiteral("Tarvel"), QStringLiteral("General"),
                                   QStringLiteral("onechance"), {}),
             QStringLiteral("False"));
    // Still one chance: a wrong answer reveals and moves on instead of a second try.
    window->runpanel().cmdans_Click(1);
    QVERIFY(!window->runpanel().secondtry());
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));

    // The next Run command takes the new setting.
    script.expect({tryagain});
    const QString path = env.path(QStringLiteral("book.Q"));
    ScriptedModal modal({[&path](QDialog *dialog) {
        auto *picker = qobject_cast<frmeditquiz *>(dialog);
        picker->txtfname->setText(path);
        picker->cmdedit_Click();
    }});
    window->mnuquizrun_Click();
    QVERIFY(modal.done());
    window->runpanel().cmdans_Click(1);
    QVERIFY(window->runpanel().secondtry());
    VERIFY_DONE(script);
}

void tst_runpanel::correctOutsideOneToFour_data()
{
    QTest::addColumn<int>("correct");
    QTest::newRow("0") << 0;
    QTest::newRow("5") << 5;
    QTest::newRow("255") << 255;
}

void tst_runpanel::correctOutsideOneToFour()
{
    QFETCH(int, correct);
    TestEnvironment env;
    // No button is right, and the reveal has no answer text to name.
    ScriptedMessages script({{reveal({})}, {tryagain}, {reveal({})}, quizover(0, 30)});
    QList<QuestionRecord> questions{makequestion(1, correct), makequestion(2, correct),
                                    makequestion(3, correct)};
    auto window = openforrun(env, questions, true);
    window->runpanel().cmdans_Click(0);
    window->runpanel().setonechance(false);
    window->runpanel().cmdans_Click(1);
    window->runpanel().cmdans_Click(2);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("3"));
    window->runpanel().cmdskip_Click();
    VERIFY_DONE(script);
    verifyclosed(*window);
}

void tst_runpanel::largeBookScores_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("3,277: past the 16-bit maximum") << 3277;
    QTest::newRow("32,766: the largest book") << 32766;
}

void tst_runpanel::largeBookScores()
{
    QFETCH(int, count);
    TestEnvironment env;
    QList<QuestionRecord> questions;
    questions.reserve(count);
    for (int n = 1; n <= count; ++n)
        questions.append(makequestion(n, 4));
    auto window = openforrun(env, questions, true);

    // All right but the last, skipped: the score message; then a run all right: "Winner".
    int shown = 0;
    QString last;
    QString lasttitle;
    platform::setmsgboxhandler([&](const QString &text, platform::Buttons, const QString &title) {
        ++shown;
        last = text;
        lasttitle = title;
        return platform::Answer::Ok;
    });
    for (int n = 1; n < count; ++n)
        window->runpanel().cmdans_Click(3);
    window->runpanel().cmdskip_Click();
    QCOMPARE(shown, count);
    QCOMPARE(lasttitle, QStringLiteral("Quiz Over"));
    QCOMPARE(last, QStringLiteral("Quiz is over \rYour score is %1 out of %2")
                       .arg(10 * (count - 1))
                       .arg(10 * count));

    window.reset();
    window = openforrun(env, questions, true);
    shown = 0;
    for (int n = 1; n <= count; ++n)
        window->runpanel().cmdans_Click(3);
    QCOMPARE(shown, count + 1);
    QCOMPARE(lasttitle, QStringLiteral("Winner"));
    QCOMPARE(last, winner(10 * count).text);
}

void tst_runpanel::closeMidRunShowsNoScore()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}, {tryagain}});
    auto window = openforrun(env, makequestions(3), false);
    window->runpanel().cmdans_Click(0);
    window->runpanel().cmdans_Click(0);
    window->mnueditundodelete->setEnabled(true);
    window->runpanel().cmdqbclose_Click();
    VERIFY_DONE(script);
    verifyclosed(*window);
    QVERIFY(!window->mnueditundodelete->isEnabled());
}

void tst_runpanel::runCommandStartsAFreshRun()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}});
    auto window = openforrun(env, makequestions(3), false);
    window->runpanel().cmdans_Click(0);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));
    const QString other = env.writebook(QStringLiteral("other.Q"), makeheader(2),
                                        {makequestion(7, 1), makequestion(8, 1)});
    window->mnuonechance_Click(); // off -> on: the new run takes it

    ScriptedModal modal({[&other](QDialog *dialog) {
        auto *picker = qobject_cast<frmeditquiz *>(dialog);
        QVERIFY(!picker->ineditmode());
        QCOMPARE(picker->windowTitle(), QStringLiteral("Open"));
        picker->txtfname->setText(other);
        picker->cmdedit_Click();
    }});
    window->mnuquizrun_Click();
    QVERIFY(modal.done());
    QVERIFY(control(*window, "picqb")->isVisible());
    QVERIFY(!control(*window, "picedit")->isVisible());
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("1"));
    QCOMPARE(control<QLabel>(*window, "labquestion")->text(), QStringLiteral("Question 7"));
    QCOMPARE(window->runpanel().score(), 0);
    QVERIFY(window->runpanel().onechance());
    QVERIFY(!window->mnueditundodelete->isEnabled());
    // The picker is discarded: the next one starts in Edit mode again.
    QVERIFY(window->picker()->ineditmode());

    script.expect({right10});
    script.expect({right10});
    script.expect(winner(20));
    window->runpanel().cmdans_Click(0);
    window->runpanel().cmdans_Click(0);
    VERIFY_DONE(script);
}

void tst_runpanel::runCommandCancelledKeepsRunningQuiz()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}});
    auto window = openforrun(env, makequestions(3), true);
    window->runpanel().cmdans_Click(0);
    QCOMPARE(window->runpanel().score(), 10);
    window->mnuonechance_Click();

    ScriptedModal modal(
        {[](QDialog *dialog) { qobject_cast<frmeditquiz *>(dialog)->cmdcancel_Click(); }});
    window->mnuquizrun_Click();
    QVERIFY(modal.done());
    // The quiz stays at its question, back at 0 points and in the mode now checked.
    QVERIFY(control(*window, "picqb")->isVisible());
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));
    QCOMPARE(modquiz::lastquestion(), 3);
    QCOMPARE(window->runpanel().score(), 0);
    QVERIFY(!window->runpanel().onechance());
    VERIFY_DONE(script);
}

void tst_runpanel::runCommandCancelledAfterEditClosesDeadRun()
{
    TestEnvironment env;
    ScriptedMessages script;
    auto window = openforrun(env, makequestions(3), true);
    // An edit was started earlier in this session: Run closes the editor, and with it the
    // running quiz's questions.
    window->editstarted = true;
    ScriptedModal modal(
        {[](QDialog *dialog) { qobject_cast<frmeditquiz *>(dialog)->cmdcancel_Click(); }});
    window->mnuquizrun_Click();
    QVERIFY(modal.done());
    verifyclosed(*window);
    VERIFY_DONE(script);
}

void tst_runpanel::runCommandCancelledAtSavePromptChangesNothing()
{
    TestEnvironment env;
    auto window = openforrun(env, makequestions(2), true);
    auto &s = modquiz::state();
    s.qbchanged = true;
    window->editstarted = true;
    ScriptedMessages script(
        {{QStringLiteral("Save Changes you made to ") + s.qbpath + QStringLiteral("?"), Cancel,
          QStringLiteral("Save"), YesNoCancel}});
    ScriptedModal modal; // no picker may open
    window->mnuquizrun_Click();
    VERIFY_DONE(script);
    QCOMPARE(modal.shown(), 0);
    QVERIFY(s.qbchanged);
    QVERIFY(control(*window, "picqb")->isVisible());
    QCOMPARE(modquiz::lastquestion(), 2);
    QCOMPARE(platform::openfilecount(), 1);
}

QTEST_MAIN(tst_runpanel)
#include "tst_runpanel.moc"
