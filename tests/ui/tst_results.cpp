// Runs kept in the results store as they end or are given up, Keep Results, a store that
// cannot be written, and the Results window over what was kept.
#include "results/store.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/main/frmquiz.h"
#include "ui/main/quizsettings.h"
#include "ui/main/run/runpanel.h"
#include "ui/results/frmresults.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

const QString right10 = QStringLiteral("Your answer is correct 10 points added to your score");

// A two-question book (right answers A and B) started from the command line.
std::unique_ptr<frmquiz> startrun(const TestEnvironment &env, QRandomGenerator *random = nullptr)
{
    env.writebook(QStringLiteral("book.Q"), makeheader(2), makequestions(2));
    auto window = std::make_unique<frmquiz>();
    if (random)
        window->runpanel().setrandomsource(
            [random](int bound) { return int(random->bounded(bound)); });
    window->Form_Load(Launch::run(QStringLiteral("book.Q")));
    return window;
}

// Presses the button beside the answer text, wherever the shuffle put it.
void press(frmquiz &window, const QString &answer)
{
    for (int i = 0; i < 4; ++i) {
        if (control<QLabel>(window, QStringLiteral("labans%1").arg(i))->text() == answer)
            return window.runpanel().cmdans_Click(i);
    }
    QFAIL(qPrintable(answer + " is not shown"));
}

QByteArray bookhash(const TestEnvironment &env)
{
    return results::bookhash(modquiz::readbookfile(env.path("book.Q"))->questions, true);
}

ExpectedMessage over(int score)
{
    return {QStringLiteral("Quiz is over \rYour score is %1 out of 20").arg(score), Ok,
            QStringLiteral("Quiz Over")};
}

const ExpectedMessage winner{QStringLiteral("Congragulations You Won The Quiz\r\nYour Score is "
                                            ":20\r\nHave a nice day"),
                             Ok, QStringLiteral("Winner")};

} // namespace

class tst_results : public QObject
{
    Q_OBJECT

private slots:
    void runkeptwithbookletters();
    void givenuprunkeptonclose();
    void keepresultsoffwritesnothing();
    void unwritabledatafolder();
    void windowpractisesworst();
    void pickerchoosesbookopeningnothing();
};

void tst_results::runkeptwithbookletters()
{
    TestEnvironment env;
    QuizSettings::setonechance(false);
    QuizSettings::setpractice(QuizSettings::Practice::ShuffleAnswers, true);
    QRandomGenerator random(7);
    ScriptedMessages script(
        {{QStringLiteral("Sorry, Your answer is wrong \rPlease try again")},
         {QStringLiteral("Your answer is correct 5 points added to your score")},
         {right10},
         over(15)});
    auto window = startrun(env, &random);
    press(*window, "Answer 1.3");
    press(*window, "Answer 1.1");
    press(*window, "Answer 2.2");
    VERIFY_DONE(script);

    results::Store store;
    const std::vector<results::AttemptRow> attempts = store.attempts(bookhash(env));
    QCOMPARE(attempts.size(), 1u);
    QVERIFY(attempts[0].finished);
    QCOMPARE(attempts[0].score, 15);
    QCOMPARE(attempts[0].maximum, 20);
    QCOMPARE(attempts[0].taker, results::loginname());
    QVERIFY(attempts[0].options.shuffleanswers && !attempts[0].options.onechance);
    const std::vector<results::QuestionRow> questions = store.questions(bookhash(env));
    QCOMPARE(questions.size(), 2u);
    // The book's letters, whatever buttons the shuffle put them on.
    QCOMPARE(questions[0].counts.chosen, (std::array<int, 4>{1, 0, 1, 0}));
    QCOMPARE(questions[0].counts.wrongchosen, (std::array<int, 4>{0, 0, 1, 0}));
    QCOMPARE(questions[0].counts.rightatall - questions[0].counts.rightfirst, 1);
    QCOMPARE(questions[1].counts.rightfirst, 1);
}

void tst_results::givenuprunkeptonclose()
{
    // Closed with Close, then again by the program's end.
    TestEnvironment env;
    ScriptedMessages script({{right10}, {right10}});
    auto window = startrun(env);
    press(*window, "Answer 1.1");
    window->runpanel().cmdqbclose_Click();
    QVERIFY(window->openbook(env.path("book.Q"), false));
    press(*window, "Answer 1.1");
    window.reset();
    VERIFY_DONE(script);
    const std::vector<results::AttemptRow> attempts = results::Store().attempts(bookhash(env));
    QCOMPARE(attempts.size(), 2u);
    QVERIFY(!attempts[0].finished && !attempts[1].finished);
    QCOMPARE(attempts[1].score, 10);
}

void tst_results::keepresultsoffwritesnothing()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}, {right10}, winner});
    auto window = startrun(env);
    QVERIFY(window->mnukeepresults->isChecked());
    window->mnukeepresults_Click();
    QVERIFY(!QuizSettings::keepresults());
    press(*window, "Answer 1.1");
    press(*window, "Answer 2.2");
    VERIFY_DONE(script);
    QVERIFY(QDir(env.datafolder()).isEmpty());
}

void tst_results::unwritabledatafolder()
{
    TestEnvironment env;
    QFile(env.datafolder() + "/Quiz").open(QIODevice::WriteOnly);
    // Told once, after the run's own end message; the second run goes on as ever.
    ScriptedMessages script(
        {{right10},
         {right10},
         winner,
         {QStringLiteral("Results cannot be kept: cannot make the folder %1/Quiz")
              .arg(env.datafolder())},
         {right10},
         {right10},
         winner});
    auto window = startrun(env);
    for (int run = 0; run < 2; ++run) {
        if (run == 1)
            QVERIFY(window->openbook(env.path("book.Q"), false));
        press(*window, "Answer 1.1");
        press(*window, "Answer 2.2");
    }
    VERIFY_DONE(script);
}

void tst_results::windowpractisesworst()
{
    TestEnvironment env;
    ScriptedMessages script;
    auto window = startrun(env);
    const QList<QuestionRecord> book = modquiz::readbookfile(env.path("book.Q"))->questions;
    results::Store store;
    // Question 2 is missed by two takers of three; one taker's name would start a formula.
    for (const QString &taker :
         {QStringLiteral("ann"), QStringLiteral("bob"), QStringLiteral("=1+1")}) {
        results::Attempt attempt{bookhash(env),
                                 env.path("book.Q"),
                                 "Cat",
                                 taker,
                                 QDateTime::currentDateTime(),
                                 QDateTime::currentDateTime(),
                                 {},
                                 0,
                                 20,
                                 true,
                                 {}};
        const bool misses = taker != "ann";
        attempt.answers.push_back(
            {1, results::questionhash(book[1]), 'A', 0, results::Outcome::RightFirst, 3});
        attempt.answers.push_back({2, results::questionhash(book[2]), misses ? 'C' : 'B', 0,
                                   misses ? results::Outcome::Wrong : results::Outcome::RightFirst,
                                   4});
        attempt.score = misses ? 10 : 20;
        QVERIFY(store.record(attempt));
    }
    ScriptedModal modal({[](QDialog *dialog) {
        auto *results = qobject_cast<frmresults *>(dialog);
        QCOMPARE(results->grdattempts->model()->rowCount(), 3);
        QCOMPARE(results->grdquestions->rowCount(), 2);
        QCOMPARE(results->practicequestions(), QList<int>{2});
        const QByteArray csv = results->csv();
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"
                               "Date,Who,Score,Percent,Options\r\n"));
        QVERIFY(csv.contains(",'=1+1,10,50,"));
        results->cmdpractise_Click();
    }});
    window->mnuresults_Click();
    QVERIFY(modal.done());
    QVERIFY(window->runpanel().isVisibleTo(window.get()));
    QCOMPARE(control<QLabel>(*window, "labquestion")->text(), QStringLiteral("Question 2"));
    VERIFY_DONE(script);
}

void tst_results::pickerchoosesbookopeningnothing()
{
    TestEnvironment env;
    ScriptedMessages script({{right10}, {right10}, winner});
    auto window = startrun(env);
    press(*window, "Answer 1.1");
    press(*window, "Answer 2.2");
    window->runpanel().cmdqbclose_Click();
    // With no book open the picker asks for one; choosing it opens nothing.
    ScriptedModal modal({[&env](QDialog *dialog) {
                             auto *picker = qobject_cast<frmeditquiz *>(dialog);
                             QVERIFY(picker && !picker->ineditmode());
                             picker->txtfname->setText(env.path("book.Q"));
                             picker->cmdedit_Click();
                         },
                         [](QDialog *dialog) {
                             auto *results = qobject_cast<frmresults *>(dialog);
                             QVERIFY(results);
                             QCOMPARE(results->grdattempts->model()->rowCount(), 1);
                         }});
    window->mnuresults_Click();
    QVERIFY(modal.done());
    QVERIFY(modquiz::state().questions.isEmpty());
    QVERIFY(!window->runpanel().isVisibleTo(window.get()));
    VERIFY_DONE(script);
}

QTEST_MAIN(tst_results)
#include "tst_results.moc"
