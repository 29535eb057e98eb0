// Shuffled questions and answers with a seeded random source, the practice options in the
// settings store, and another go at the missed questions for each way a question is missed.
#include "frmquiz.h"
#include "modquiz.h"
#include "runoptions.h"
#include "runplan.h"
#include "settings.h"
#include "testsupport.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <map>
#include <memory>

namespace {

const QString right10 = QStringLiteral("Your answer is correct 10 points added to your score");
const QString right5 = QStringLiteral("Your answer is correct 5 points added to your score");
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

ExpectedMessage offer(int missed, platform::Answer answer)
{
    return {QStringLiteral("Try the %1 questions you missed again?").arg(missed), answer,
            QStringLiteral("Quiz"), YesNo};
}

void store(const QString &key, bool on)
{
    platform::writesetting(QStringLiteral("Tarvel"), QStringLiteral("General"), key,
                           on ? QStringLiteral("True") : QStringLiteral("False"));
}

QString stored(const QString &key)
{
    return platform::readsetting(QStringLiteral("Tarvel"), QStringLiteral("General"), key,
                                 QStringLiteral("(absent)"));
}

// A book whose right answers are all the first: a wrong one is any other.
QList<QuestionRecord> firstright(int count)
{
    QList<QuestionRecord> questions;
    for (int n = 1; n <= count; ++n)
        questions.append(makequestion(n, 1));
    return questions;
}

// Starts the program on book.Q as its command line, with the random source seeded.
std::unique_ptr<frmquiz> startrun(const TestEnvironment &env, const QList<QuestionRecord> &book,
                                  QRandomGenerator &random)
{
    env.writebook(QStringLiteral("book.Q"), makeheader(qint16(book.size())), book);
    auto window = std::make_unique<frmquiz>();
    window->setrandomsource([&random](int bound) { return int(random.bounded(bound)); });
    window->Form_Load(QStringLiteral("book.Q"));
    window->show();
    return window;
}

// The book question the run panel shows, found by its text.
QuestionRecord shownquestion(const frmquiz &window, const QList<QuestionRecord> &book)
{
    for (const QuestionRecord &question : book) {
        if (question.question == window.labquestion->text())
            return question;
    }
    return {};
}

// The button whose label reads the right answer's text.
int rightbutton(const frmquiz &window, const QuestionRecord &question)
{
    for (int i = 0; i < 4; ++i) {
        if (window.labans[i]->text() == question.answers[question.correct - 1])
            return i;
    }
    return -1;
}

} // namespace

class tst_practice : public QObject
{
    Q_OBJECT

private slots:
    void seededShuffleIsExactAndEven();
    void shuffledQuestionsAskEveryQuestionOnce();
    void shuffledAnswersRightAnswerFollowsItsText();
    void optionsStoredUnderOwnKeysOffWhenAbsent();
    void missedQuestions_data();
    void missedQuestions();
    void reviewRunScoresOutOfItsOwnQuestions();
};

void tst_practice::seededShuffleIsExactAndEven()
{
    QRandomGenerator random(2026);
    const auto source = [&random](int bound) { return int(random.bounded(bound)); };
    const runplan::Plan plan = runplan::make({1, 2, 3, 4, 5, 6}, true, true, source);
    QCOMPARE(plan.answerorder.size(), 6);
    QCOMPARE(plan.order, (QList<int>{2, 5, 4, 6, 3, 1}));
    QCOMPARE(plan.answerorder.first(), (std::array<int, 4>{2, 1, 3, 0}));

    // Each place from the end takes the item the source picks among those not yet placed.
    QList<int> list{1, 2, 3, 4};
    runplan::shuffle(list, [](int) { return 0; });
    QCOMPARE(list, (QList<int>{2, 3, 4, 1}));
    runplan::shuffle(list, [](int bound) { return bound - 1; });
    QCOMPARE(list, (QList<int>{2, 3, 4, 1}));

    // The same seed gives the same run: the source is the only thing that decides.
    QRandomGenerator again(2026);
    const auto plan2 = runplan::make({1, 2, 3, 4, 5, 6}, true, true,
                                     [&again](int bound) { return int(again.bounded(bound)); });
    QCOMPARE(plan2.order, plan.order);
    QCOMPARE(plan2.answerorder, plan.answerorder);

    // Every order of four answers about equally often: a shuffle that draws from the whole
    // list at every step favours some orders by a third or more.
    QRandomGenerator counter(7);
    std::map<QList<int>, int> seen;
    for (int run = 0; run < 24000; ++run) {
        QList<int> answers{0, 1, 2, 3};
        runplan::shuffle(answers, [&counter](int bound) { return int(counter.bounded(bound)); });
        ++seen[answers];
    }
    QCOMPARE(seen.size(), size_t(24));
    for (const auto &[order, times] : seen)
        QVERIFY2(times > 850 && times < 1150, qPrintable(QString::number(times)));
}

void tst_practice::shuffledQuestionsAskEveryQuestionOnce()
{
    TestEnvironment env;
    store(QStringLiteral("shufflequestions"), true);
    QRandomGenerator random(11);
    const QList<QuestionRecord> book = makequestions(5);
    ScriptedMessages script;
    auto window = startrun(env, book, random);
    QStringList asked;
    for (int k = 1; k <= 5; ++k) {
        QCOMPARE(window->labnum->text(), QString::number(k));
        asked.append(window->labquestion->text());
        // Answers stay where the book has them.
        QCOMPARE(window->labans[0]->text(), shownquestion(*window, book).answers[0]);
        if (k == 5)
            script.expect(endmessage(0, 50));
        window->cmdskip_Click();
    }
    QCOMPARE(asked,
             (QStringList{"Question 3", "Question 2", "Question 4", "Question 5", "Question 1"}));
    QVERIFY2(script.done(), script.problem());
}

void tst_practice::shuffledAnswersRightAnswerFollowsItsText()
{
    TestEnvironment env;
    store(QStringLiteral("shuffleanswers"), true);
    QRandomGenerator random(5);
    const QList<QuestionRecord> book = makequestions(4);
    const QByteArray before = [&] {
        env.writebook(QStringLiteral("book.Q"), makeheader(4), book);
        return filebytes(env.path("book.Q"));
    }();
    ScriptedMessages script;
    auto window = startrun(env, book, random);
    int moved = 0;
    for (int k = 1; k <= 4; ++k) {
        // Questions in book order, each answer's text on some button.
        QCOMPARE(window->labquestion->text(), book[k - 1].question);
        const int button = rightbutton(*window, book[k - 1]);
        QVERIFY(button >= 0);
        moved += button != book[k - 1].correct - 1;
        script.expect({right10});
        if (k == 4)
            script.expect(endmessage(40, 40));
        window->cmdans_Click(button);
    }
    QVERIFY2(script.done(), script.problem());
    QVERIFY(moved >= 2);
    QCOMPARE(filebytes(env.path("book.Q")), before);

    // A wrong answer names the right answer's text, wherever its button is.
    QRandomGenerator random2(5);
    store(QStringLiteral("onechance"), true);
    auto second = startrun(env, {book[0]}, random2);
    const int right = rightbutton(*second, book[0]);
    ScriptedMessages wrong({reveal(book[0].answers[book[0].correct - 1]), endmessage(0, 10)});
    second->cmdans_Click((right + 1) % 4);
    QVERIFY2(wrong.done(), wrong.problem());
}

void tst_practice::optionsStoredUnderOwnKeysOffWhenAbsent()
{
    TestEnvironment env;
    ScriptedMessages script;
    {
        frmquiz window;
        window.Form_Load({});
        QVERIFY(window.mnuonechance->isChecked());
        for (QAction *item :
             {window.mnushufflequestions, window.mnushuffleanswers, window.mnureviewmissed})
            QVERIFY2(item->isCheckable() && !item->isChecked(), qPrintable(item->objectName()));
        QVERIFY(!window.runshufflequestions && !window.runshuffleanswers &&
                !window.runreviewmissed);

        window.mnushufflequestions->trigger();
        window.mnureviewmissed_Click();
        window.mnureviewmissed_Click();
        QVERIFY(window.mnushufflequestions->isChecked());
        QCOMPARE(stored("shufflequestions"), QStringLiteral("True"));
        QCOMPARE(stored("reviewmissed"), QStringLiteral("False"));
        QCOMPARE(stored("shuffleanswers"), QStringLiteral("(absent)"));
        QCOMPARE(stored("onechance"), QStringLiteral("(absent)"));
        // The run keeps the copy it took.
        QVERIFY(!window.runshufflequestions);
    }
    store(QStringLiteral("shuffleanswers"), true);
    platform::writesetting("Tarvel", "General", "reviewmissed", "yes");
    frmquiz window;
    window.Form_Load({});
    QVERIFY(window.mnushufflequestions->isChecked() && window.runshufflequestions);
    QVERIFY(window.mnushuffleanswers->isChecked() && window.runshuffleanswers);
    // Only "True" turns an option on.
    QVERIFY(!window.mnureviewmissed->isChecked());
    QVERIFY(!runoptions::read(runoptions::Option::ReviewMissed));
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
    store(QStringLiteral("onechance"), onechance);
    store(QStringLiteral("reviewmissed"), true);
    QRandomGenerator random(1);
    const QList<QuestionRecord> book = firstright(3);
    ScriptedMessages script;
    auto window = startrun(env, book, random);

    int score = 0;
    for (int k = 1; k <= 3; ++k) {
        const QString &move = moves[k - 1];
        if (k == 3)
            QCOMPARE(window->missedquestions(), missed.mid(0, missed.size() - missed.count(3)));
        const QString wrongtext = QStringLiteral("Answer %1.1").arg(k);
        if (move == "R") {
            script.expect({right10});
            score += 10;
        } else if (move == "WR") {
            script.expect({tryagain});
            script.expect({right5});
            score += 5;
        } else if (move == "WW") {
            script.expect({tryagain});
            script.expect(reveal(wrongtext));
        } else if (move == "W") {
            script.expect(reveal(wrongtext));
        }
        if (k == 3) {
            script.expect(endmessage(score, 30));
            if (!missed.isEmpty())
                script.expect(offer(int(missed.size()), Yes));
        }
        if (move == "S")
            window->cmdskip_Click();
        else if (move == "R")
            window->cmdans_Click(0);
        else if (move == "W")
            window->cmdans_Click(3);
        else {
            window->cmdans_Click(2);
            window->cmdans_Click(move == "WR" ? 0 : 1);
        }
    }
    QVERIFY2(script.done(), script.problem());
    QCOMPARE(!window->mnuonechance->isEnabled(), onechance && moves.last() == "W");
    if (missed.isEmpty()) {
        QVERIFY(!window->picqb->isVisible());
        return;
    }

    // Yes: just the missed questions, in book order, numbered from 1, out of 10 each.
    QVERIFY(window->picqb->isVisible());
    QCOMPARE(window->score, 0);
    for (qsizetype i = 0; i < missed.size(); ++i) {
        QCOMPARE(window->labnum->text(), QString::number(i + 1));
        QCOMPARE(window->labquestion->text(), QStringLiteral("Question %1").arg(missed[i]));
        script.expect({right10});
        if (i + 1 == missed.size())
            script.expect(endmessage(10 * int(missed.size()), 10 * int(missed.size())));
        window->cmdans_Click(0);
    }
    QVERIFY2(script.done(), script.problem());
    QVERIFY(!window->picqb->isVisible());
    QCOMPARE(platform::openfilecount(), 0);
    QCOMPARE(modquiz::lastquestion(), 0);
}

void tst_practice::reviewRunScoresOutOfItsOwnQuestions()
{
    TestEnvironment env;
    store(QStringLiteral("onechance"), true);
    store(QStringLiteral("reviewmissed"), true);
    store(QStringLiteral("shufflequestions"), true);
    QRandomGenerator random(3);
    const QList<QuestionRecord> book = firstright(4);
    ScriptedMessages script;
    auto window = startrun(env, book, random);
    // Shuffled run: miss two questions, whichever they are.
    QList<int> missed;
    for (int k = 1; k <= 4; ++k) {
        const int number = window->labquestion->text().section(' ', 1).toInt();
        const bool miss = k <= 2;
        if (miss)
            missed.append(number);
        script.expect(miss ? reveal(QStringLiteral("Answer %1.1").arg(number))
                           : ExpectedMessage{right10});
        if (k == 4) {
            script.expect(endmessage(20, 40));
            script.expect(offer(2, Yes));
        }
        window->cmdans_Click(miss ? 1 : 0);
    }
    QVERIFY2(script.done(), script.problem());
    std::sort(missed.begin(), missed.end());
    QCOMPARE(window->labnum->text(), QStringLiteral("1"));

    // One right and one wrong out of 20, then one more go, declined.
    const int first = window->labquestion->text().section(' ', 1).toInt();
    QVERIFY(missed.contains(first));
    script.expect({right10});
    window->cmdans_Click(0);
    const int second = window->labquestion->text().section(' ', 1).toInt();
    QCOMPARE(QList<int>({first, second}).size(), 2);
    QVERIFY(missed.contains(second) && second != first);
    script.expect(reveal(QStringLiteral("Answer %1.1").arg(second)));
    script.expect(endmessage(10, 20));
    script.expect(offer(1, No));
    window->cmdans_Click(2);
    QVERIFY2(script.done(), script.problem());
    QVERIFY(!window->picqb->isVisible());
    QCOMPARE(window->score, 0);
    QCOMPARE(modquiz::lastquestion(), 0);
    // The book on disk is the book that was written.
    QBookHeader header;
    QList<QuestionRecord> ondisk;
    QVERIFY(modquiz::parsebook(filebytes(env.path("book.Q")), header, ondisk));
    QCOMPARE(ondisk.mid(1), book);
}

QTEST_MAIN(tst_practice)
#include "tst_practice.moc"
