#pragma once

#include "results/attempt.h"
#include "storage/qbook.h"
#include "ui/main/run/runplan.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;

// The run panel picqb: asks the questions of the loaded book one at a time, judges the
// answers, keeps the score and offers another go at the questions missed. Handlers are plain
// members, callable whether their button is enabled or the panel visible or not.
class RunPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunPanel)

public:
    explicit RunPanel(QWidget *parent);

    // The options a run keeps from its start, whatever the menu says meanwhile.
    void setonechance(bool on);
    void setpractice(bool shufflequestions, bool shuffleanswers, bool reviewmissed);
    [[nodiscard]] bool onechance() const { return runonechance; }
    [[nodiscard]] bool shufflesquestions() const { return runshufflequestions; }
    [[nodiscard]] bool shufflesanswers() const { return runshuffleanswers; }
    [[nodiscard]] bool reviewsmissed() const { return runreviewmissed; }

    [[nodiscard]] int score() const { return m_score; }
    [[nodiscard]] bool secondtry() const { return m_secondtry; }
    // The button of the first wrong answer, disabled for the second try.
    [[nodiscard]] quint8 wrongbutton() const { return wrongbtn; }
    void setscore(int points) { m_score = points; }

    void showquestion();
    // Question 1 of the book just loaded for a run, numbered 1.
    void firstquestion();
    // The first question of a run started from a file, its number label left as it is.
    void askfirst();
    void nextquestion();
    void setlabnum(const QString &caption);
    void cmdans_Click(int index);
    void cmdskip_Click();
    void cmdqbclose_Click();
    // Esc presses Skip while the panel shows and Skip is enabled; true when it did.
    bool escape();

    // Stacks the answer rows under the question, each as tall as its text needs and at least
    // as the design's; the page scrolls when they need more room than the window gives.
    void layoutrunpanel();

    // The source of every shuffle; tests install a seeded one.
    void setrandomsource(runplan::RandomSource random);
    // Book numbers of the questions of this run not answered right at the first try.
    [[nodiscard]] QList<int> missedquestions() const;
    // Another go at the given questions of the loaded book, as after a run that missed them.
    void practise(QList<int> booknumbers);

signals:
    // The run closed: the window gives back its fixed size and turns Undo Delete off.
    void closed();
    // A One Chance run ended on a wrong answer: One Chance is off until the program restarts.
    void onechancelost();
    // The texts need more room than the panel has: the window may be enlarged.
    void needsroom();
    // Another go at the missed questions starts; the edit panel must not show over it.
    void reviewstarting();
    // What the run does, for the record kept of it: a run of the loaded book (or another go at
    // its missed questions) starts; a question is asked; a choice is made, by the book's letter
    // whatever button shows it; a question ends; the run ends, after its end message.
    void runstarted(bool review, int maximum);
    void asked(int booknumber);
    void chose(int booknumber, char bookletter);
    void questionended(int booknumber, results::Outcome outcome);
    void runended(int score, int maximum);

private:
    void build();
    // Judging ends the question: the advance, and the end of the quiz after the last one.
    // True when the quiz ended.
    bool finishquestion(bool onechancewrong);
    void endofquiz(bool onechancewrong);
    // Decides the order of a run of the whole book: no plan unless a shuffle is on.
    void planrun();
    // Number of questions this run asks, and the one at a position (1 up) as shown.
    [[nodiscard]] int runlength() const;
    [[nodiscard]] QuestionRecord runquestion(int position) const;
    [[nodiscard]] int runmaximum() const;
    void markmissed();
    // The book number of the question shown, 0 when none is; the book letter on a button.
    [[nodiscard]] int booknumber() const;
    [[nodiscard]] char bookletter(int button) const;
    // After the end message: offers another go at the missed questions of the book.
    void offerreview(const QList<QuestionRecord> &book, QList<int> missed);

    QLabel *labnum = nullptr;
    QLabel *labquestion = nullptr;
    std::array<QLabel *, 4> labans{};
    std::array<QPushButton *, 4> cmdans{};
    QPushButton *cmdqbclose = nullptr;
    QPushButton *cmdskip = nullptr;
    QFrame *Shape1 = nullptr;
    QScrollArea *m_runscroll = nullptr;

    int m_score = 0; // wider than 16 bits: the largest book scores 327,660
    bool m_secondtry = false;
    quint8 wrongbtn = 0;
    bool runonechance = false;
    bool runshufflequestions = false;
    bool runshuffleanswers = false;
    bool runreviewmissed = false;
    runplan::RandomSource m_random;
    runplan::Plan m_plan;
    QList<int> m_missed;
};
