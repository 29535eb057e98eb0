// Shuffled questions and answers with a seeded random source, the practice options in the
// settings store, and another go at the missed questions for each way a question is missed.
#include "platform/settings.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "ui/main/frmquiz.h"
#include "ui/main/quizsettings.h"
#include "ui/main/run/runpanel.h"
#include "ui/main/run/runplan.h"

#include <QAction>
#include <QLabel>
#include <QMap>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <map>
#include <memory>

namespace {

const QString right10 = QStringLiteral("Your answer is correct 10 points added to your score");
const QString tryagain = QStringLiteral("Sorry, Your answer is wrong \rPlease try again");

ExpectedMessage reveal(const QString &answer)
{
    return {QStringLiteral("Sorry your answer is wrong\r\nCorrect answer is ") + answer};
}

ExpectedMessage endmessage(int score, int maximum)
{
    if (score == maximum)
        return {QStringLiteral("Congragulations You Won The Quiz\r\nYour Score is :%1\r\n"
                               "Have a nice day")
                    .arg(score),
                Ok, QStringLiteral("Winner")};
    return {QStringLiteral("Quiz is over \rYour score is %1 out of %2").arg(score).arg(maximum), Ok,
            QStringLiteral("Quiz Over")};
}

ExpectedMessage offer(qsizetype missed, platform::Answer answer)
{
    const QString text = missed == 1
                             ? QStringLiteral("Try the 1 question you missed again?")
                             : QStringLiteral("Try the %1 questions you missed again?").arg(missed);
    return {text, answer, QStringLiteral("Quiz"), YesNo};
}

QString setting(const QString &key)
{
    return platform::readsetting("Tarvel", "General", key, "(absent)");
}

void store(const QString &key, bool on)
{
    platform::writesetting("Tarvel", "General", key, on ? "True" : "False");
}

// Starts the program on book.Q as its command line, with the random source seeded.
std::unique_ptr<frmquiz> startrun(const TestEnvironment &env, const QList<QuestionRecord> &book,
                                  QRandomGenerator &random)
{
    env.writebook(QStringLiteral("book.Q"), makeheader(qint16(book.size())), book);
    auto window = std::make_unique<frmquiz>();
    window->runpanel().setrandomsource([&random](int bound) { return int(random.bounded(bound)); });
    window->Form_Load(Launch::run(QStringLiteral("book.Q")));
    return window;
}

// The number n of the "Question n" on the run panel.
int shown(const frmquiz &window)
{
    return control<QLabel>(window, "labquestion")->text().section(' ', 1).toInt();
}

} // namespace

class tst_practice : public QObject
{
    Q_OBJECT

private slots:
    void seededShuffleIsExactAndEven();
    void shuffledRunRightAnswerFollowsItsText();
    void optionsStoredUnderOwnKeysOffWhenAbsent();
    void keepResultsOnUnlessStoredFalse_data();
    void keepResultsOnUnlessStoredFalse();
    void missedQuestions_data();
    void missedQuestions();
    void reviewRunScoresOutOfItsOwnQuestions();
    void emptySlotsAreNotOffered();
};

void tst_practice::seededShuffleIsExactAndEven()
{
    QRandomGenerator random(2026);
    const runplan::Plan plan = runplan::make({1, 2, 3, 4, 5, 6}, true, true,
                                             [&](int bound) { return int(random.bounded(bound)); });
    QCOMPARE(plan.order, (QList<int>{2, 5, 4, 6, 3, 1}));
    QCOMPARE(plan.answerorder.size(), 6);
    QCOMPARE(plan.answerorder.first(), (std::array<int, 4>{2, 1, 3, 0}));
    // The filled answers take the first buttons, in their shuffled order; the right one moves too.
    const QuestionRecord shuffled = runplan::arrange({"Q", {"", "T", "", "F"}, 4}, {2, 1, 3, 0});
    QCOMPARE(shuffled, (QuestionRecord{"Q", {"T", "F", "", ""}, 2}));

    // Each place from the end takes the item the source picks among those not yet placed.
    QList<int> list{1, 2, 3, 4};
    runplan::shuffle(list, [](int) { return 0; });
    QCOMPARE(list, (QList<int>{2, 3, 4, 1}));

    // Every order of four answers about equally often: a shuffle that draws from the whole
    // list at every step favours some orders by a third or more.
    std::map<QList<int>, int> seen;
    for (int run = 0; run < 24000; ++run) {
        QList<int> answers{0, 1, 2, 3};
        runplan::shuffle(answers, [&](int bound) { return int(random.bounded(bound)); });
        ++seen[answers];
    }
    QCOMPARE(seen.size(), size_t(24));
    for (const auto &[order, times] : seen)
        QVERIFY2(times > 850 && times < 1150, qPrintable(QString::number(times)));
}

void tst_practice::shuffledRunRightAnswerFollowsItsText()
{
    TestEnvironment env;
    store("shufflequestions", true);
    store("shuffleanswers", true);
    QRandomGenerator random(11);
    const QList<QuestionRecord> book = makequestions(5);
    ScriptedMessages script;
    auto window = startrun(env, book, random);
    const QByteArray before = filebytes(env.path("book.Q"));
    QList<int> asked;
    int moved = 0;
    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(control<QLabel>(*window, "labnum")->text(), QString::number(k));
        const QuestionRecord &question = book[shown(*window) - 1];
        asked.append(shown(*window));
        const QString right = question.answers[question.correct - 1];
        int button = 0;
        while (button < 4 &&
               control<QLabel>(*window, "labans" + QString::number(button))->text() != right)
            ++button;
        QVERIFY(button < 4);
        moved += button != question.correct - 1;
        script.expect({right10});
        if (k == 5)
            script.expect(endmessage(50, 50));
        window->runpanel().cmdans_Click(button);
    }
    VERIFY_DONE(script);
    QCOMPARE(asked, (QList<int>{3, 2, 4, 5, 1}));
    QVERIFY(moved >= 2);
    QCOMPARE(filebytes(env.path("book.Q")), before);

    // A wrong answer names the right answer's text, wherever its button is.
    store("onechance", true);
    auto second = startrun(env, {book[0]}, random);
    const int wrong = control<QLabel>(*second, "labans0")->text() == book[0].answers[0] ? 1 : 0;
    ScriptedMessages wrongscript({reveal(book[0].answers[0]), endmessage(0, 10)});
    second->runpanel().cmdans_Click(wrong);
    VERIFY_DONE(wrongscript);
}

void tst_practice::optionsStoredUnderOwnKeysOffWhenAbsent()
{
    TestEnvironment env;
    ScriptedMessages script;
    {
        frmquiz window;
        window.Form_Load({});
        for (QAction *item :
             {window.mnushufflequestions, window.mnushuffleanswers, window.mnureviewmissed})
            QVERIFY2(item->isCheckable() && !item->isChecked(), qPrintable(item->objectName()));
        window.mnushufflequestions->trigger();
        window.mnureviewmissed_Click();
        window.mnureviewmissed_Click();
        QCOMPARE(setting("shufflequestions"), QStringLiteral("True"));
        QCOMPARE(setting("reviewmissed"), QStringLiteral("False"));
        QCOMPARE(setting("shuffleanswers"), QStringLiteral("(absent)"));
        QCOMPARE(setting("onechance"), QStringLiteral("(absent)"));
        // The run keeps the copy it took.
        QVERIFY(!window.runpanel().shufflesquestions());
    }
    store("shuffleanswers", true);
    platform::writesetting("Tarvel", "General", "reviewmissed", "yes");
    frmquiz window;
    window.Form_Load({});
    QVERIFY(window.mnushufflequestions->isChecked() && window.runpanel().shufflesquestions());
    QVERIFY(window.mnushuffleanswers->isChecked() && window.runpanel().shufflesanswers());
    // Only "True" turns an option on.
    QVERIFY(!window.mnureviewmissed->isChecked() && !window.runpanel().reviewsmissed());
    QVERIFY(window.mnuonechance->isChecked());
}

void tst_practice::keepResultsOnUnlessStoredFalse_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("on");
    QTest::newRow("absent") << QString() << true;
    QTest::newRow("False") << "False" << false;
    QTest::newRow("0") << "0" << false;
    QTest::newRow("TRUE") << "TRUE" << true;
    QTest::newRow("other text") << "maybe" << true;
}

void tst_practice::keepResultsOnUnlessStoredFalse()
{
    QFETCH(QString, stored);
    QFETCH(bool, on);
    TestEnvironment env;
    if (!stored.isEmpty())
        platform::writesetting("Tarvel", "General", "keepresults", stored);
    QCOMPARE(QuizSettings::keepresults(), on);
    QuizSettings::setkeepresults(!on);
    QCOMPARE(setting("keepresults"), on ? QStringLiteral("False") : QStringLiteral("True"));
}

void tst_practice::missedQuestions_data()
{
    QTest::addColumn<bool>("onechance");
    // What happens to each question: R right, S skipped, WR wrong then right, WW wrong twice,
    // W wrong with one chance.
    QTest::addColumn<QStringList>("moves");
    QTest::addColumn<QList<int>>("missed");
    QTest::newRow("all right") << false << QStringList{"R", "R", "R"} << QList<int>{};
    QTest::newRow("skipped") << false << QStringList{"S", "R", "R"} << QList<int>{1};
    QTest::newRow("right at the second try")
        << false << QStringList{"R", "WR", "R"} << QList<int>{2};
    QTest::newRow("wrong twice") << false << QStringList{"R", "R", "WW"} << QList<int>{3};
    QTest::newRow("every way") << false << QStringList{"WW", "S", "WR"} << QList<int>{1, 2, 3};
    QTest::newRow("one chance, wrong before the end")
        << true << QStringList{"W", "R", "R"} << QList<int>{1};
    QTest::newRow("one chance, ends on a wrong answer")
        << true << QStringList{"R", "W", "W"} << QList<int>{2, 3};
}

void tst_practice::missedQuestions()
{
    QFETCH(bool, onechance);
    QFETCH(QStringList, moves);
    QFETCH(QList<int>, missed);
    TestEnvironment env;
    store("onechance", onechance);
    store("reviewmissed", true);
    QRandomGenerator random(1);
    QList<QuestionRecord> book;
    for (int n = 1; n <= 3; ++n)
        book.append(makequestion(n, 1)); // button 0 is right, any other wrong
    ScriptedMessages script;
    auto window = startrun(env, book, random);

    int score = 0;
    for (int k = 1; k <= 3; ++k) {
        const QString move = moves[k - 1];
        const QString right = QStringLiteral("Answer %1.1").arg(k);
        score += move == "R" ? 10 : move == "WR" ? 5 : 0;
        if (move.startsWith("W") && !onechance)
            script.expect({tryagain});
        if (move == "R")
            script.expect({right10});
        if (move == "WR")
            script.expect({"Your answer is correct 5 points added to your score"});
        if (move == "WW" || move == "W")
            script.expect(reveal(right));
        if (k == 3)
            script.expect(endmessage(score, 30));
        if (k == 3 && !missed.isEmpty())
            script.expect(offer(missed.size(), Yes));
        if (move == "S")
            window->runpanel().cmdskip_Click();
        const QMap<QString, QList<int>> presses{
            {"R", {0}}, {"WR", {2, 0}}, {"WW", {2, 3}}, {"W", {2}}};
        for (const int button : presses.value(move))
            window->runpanel().cmdans_Click(button);
    }
    VERIFY_DONE(script);
    QCOMPARE(window->mnuonechance->isEnabled(), !(onechance && moves.last() == "W"));
    QCOMPARE(control(*window, "picqb")->isVisibleTo(window.get()), !missed.isEmpty());

    // Yes: just the missed questions, in book order, numbered from 1, out of 10 each.
    for (qsizetype i = 0; i < missed.size(); ++i) {
        QCOMPARE(control<QLabel>(*window, "labnum")->text(), QString::number(i + 1));
        QCOMPARE(shown(*window), missed[i]);
        script.expect({right10});
        if (i + 1 == missed.size())
            script.expect(endmessage(10 * int(missed.size()), 10 * int(missed.size())));
        window->runpanel().cmdans_Click(0);
    }
    VERIFY_DONE(script);
    QVERIFY(!control(*window, "picqb")->isVisibleTo(window.get()));
    QCOMPARE(platform::openfilecount(), 0);
    QCOMPARE(modquiz::lastquestion(), 0);
}

void tst_practice::reviewRunScoresOutOfItsOwnQuestions()
{
    TestEnvironment env;
    store("onechance", false);
    store("reviewmissed", true);
    QRandomGenerator random(3);
    const QList<QuestionRecord> book = makequestions(4);
    ScriptedMessages script({{right10},
                             {right10},
                             endmessage(20, 40),
                             offer(2, Yes),
                             {tryagain},
                             reveal("Answer 2.2"),
                             {right10},
                             endmessage(10, 20),
                             offer(1, No)});
    auto window = startrun(env, book, random);
    window->runpanel().cmdans_Click(0);
    window->runpanel().cmdskip_Click();
    window->runpanel().cmdskip_Click();
    window->runpanel().cmdans_Click(3);
    // Questions 2 and 3 again: wrong twice, then right; 10 out of 20, one more go declined.
    for (const int button : {0, 2, 2})
        window->runpanel().cmdans_Click(button);
    VERIFY_DONE(script);
    QVERIFY(!control(*window, "picqb")->isVisibleTo(window.get()));
    QCOMPARE(window->runpanel().score(), 0);
}

void tst_practice::emptySlotsAreNotOffered()
{
    TestEnvironment env;
    QRandomGenerator random(7);
    ScriptedMessages script({{right10}, endmessage(10, 10)});
    auto window = startrun(env, {{"Basel?", {"", "True", "", "False"}, 4}}, random);
    QString shown;
    for (int i = 0; i < 4; ++i) {
        shown +=
            control<QPushButton>(*window, "cmdans" + QString::number(i))->isVisibleTo(window.get())
                ? '1'
                : '0';
        QCOMPARE(
            control<QPushButton>(*window, "cmdans" + QString::number(i))->accessibleDescription(),
            control<QLabel>(*window, "labans" + QString::number(i))->text());
    }
    QCOMPARE(shown, QStringLiteral("0101"));
    window->runpanel().cmdans_Click(2); // where no answer is: nothing happens
    window->runpanel().cmdans_Click(3);
    VERIFY_DONE(script);
}

QTEST_MAIN(tst_practice)
#include "tst_practice.moc"
