// The practice options of the run panel: shuffled questions and answers, and another go at the
// questions a run missed.
#include "ui/main/frmquiz.h"

#include "platform/msgbox.h"
#include "ui/main/quizsettings.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

using Practice = QuizSettings::Practice;

void frmquiz::buildpracticemenus()
{
    auto additem = [this](const char *name, const QString &caption, void (frmquiz::*handler)()) {
        auto *action = new QAction(caption, mnuedit);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        mnuedit->insertAction(mnueditundodelete, action);
        // As for One Chance: the handler is the one place that flips the check mark.
        connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
            action->setChecked(!checked);
            (this->*handler)();
        });
        return action;
    };
    mnushufflequestions = additem("mnushufflequestions", QStringLiteral("S&huffle Questions"),
                                  &frmquiz::mnushufflequestions_Click);
    mnushuffleanswers = additem("mnushuffleanswers", QStringLiteral("Shuffle &Answers"),
                                &frmquiz::mnushuffleanswers_Click);
    mnureviewmissed = additem("mnureviewmissed", QStringLiteral("&Review Missed Questions"),
                              &frmquiz::mnureviewmissed_Click);

    mnurecent = new QMenu(QStringLiteral("Recent &Books"), mnuquiz);
    mnurecent->setObjectName(QStringLiteral("mnurecent"));
    mnurecent->setToolTipsVisible(true);
    mnuquiz->insertMenu(mnuquizexit, mnurecent);
    connect(mnurecent, &QMenu::aboutToShow, this, &frmquiz::fillrecentmenu);
    fillrecentmenu();

    // The question box takes drops in its viewport, which the window does not yet watch.
    txtquestion->viewport()->installEventFilter(this);

    // F1 is the desktop's help key; Ctrl+H stays the item's own shortcut.
    mnureadme->setShortcuts({mnureadme->shortcut(), QKeySequence(Qt::Key_F1)});
}

void frmquiz::readpracticeoptions()
{
    mnushufflequestions->setChecked(QuizSettings::practice(Practice::ShuffleQuestions));
    mnushuffleanswers->setChecked(QuizSettings::practice(Practice::ShuffleAnswers));
    mnureviewmissed->setChecked(QuizSettings::practice(Practice::ReviewMissed));
    copypracticeoptions();
}

void frmquiz::copypracticeoptions()
{
    runshufflequestions = mnushufflequestions->isChecked();
    runshuffleanswers = mnushuffleanswers->isChecked();
    runreviewmissed = mnureviewmissed->isChecked();
}

void frmquiz::mnushufflequestions_Click()
{
    mnushufflequestions->setChecked(!mnushufflequestions->isChecked());
    QuizSettings::setpractice(Practice::ShuffleQuestions, mnushufflequestions->isChecked());
}

void frmquiz::mnushuffleanswers_Click()
{
    mnushuffleanswers->setChecked(!mnushuffleanswers->isChecked());
    QuizSettings::setpractice(Practice::ShuffleAnswers, mnushuffleanswers->isChecked());
}

void frmquiz::mnureviewmissed_Click()
{
    mnureviewmissed->setChecked(!mnureviewmissed->isChecked());
    QuizSettings::setpractice(Practice::ReviewMissed, mnureviewmissed->isChecked());
}

void frmquiz::setrandomsource(runplan::RandomSource random)
{
    m_random = std::move(random);
}

void frmquiz::planrun()
{
    m_missed.clear();
    m_plan = {};
    // With both shuffles off the run asks the book as it stands, with no plan at all.
    if (!runshufflequestions && !runshuffleanswers)
        return;
    QList<int> booknumbers;
    for (int k = 1; k <= modquiz::lastquestion(); ++k)
        booknumbers.append(k);
    m_plan = runplan::make(booknumbers, runshufflequestions, runshuffleanswers,
                           m_random ? m_random : runplan::systemrandom());
}

int frmquiz::runlength() const
{
    // The edit panel's Close may empty the questions under a running quiz: nothing is left.
    const int loaded = modquiz::lastquestion();
    if (m_plan.order.isEmpty() || loaded == 0)
        return loaded;
    return int(m_plan.order.size());
}

QuestionRecord frmquiz::runquestion(int position) const
{
    const auto &questions = modquiz::state().questions;
    if (m_plan.order.isEmpty())
        return questions.at(position);
    const int booknumber = m_plan.order.at(position - 1);
    if (booknumber > modquiz::lastquestion())
        return {};
    const QuestionRecord &question = questions.at(booknumber);
    if (m_plan.answerorder.isEmpty())
        return question;
    return runplan::arrange(question, m_plan.answerorder.at(position - 1));
}

int frmquiz::runmaximum() const
{
    // Computed in int: the largest book holds 32,766 questions, 327,660 points.
    if (m_plan.review)
        return 10 * int(m_plan.order.size());
    return 10 * int(modquiz::state().qbheader.count);
}

void frmquiz::markmissed()
{
    const int position = modquiz::state().curq;
    if (position < 1 || position > runlength())
        return;
    const int booknumber = m_plan.order.isEmpty() ? position : m_plan.order.at(position - 1);
    if (!m_missed.contains(booknumber))
        m_missed.append(booknumber);
}

QList<int> frmquiz::missedquestions() const
{
    QList<int> missed = m_missed;
    std::sort(missed.begin(), missed.end());
    return missed;
}

void frmquiz::offerreview(const QList<QuestionRecord> &book, QList<int> missed)
{
    if (!runreviewmissed || missed.isEmpty())
        return;
    const QString question =
        missed.size() == 1
            ? QStringLiteral("Try the 1 question you missed again?")
            : QStringLiteral("Try the %1 questions you missed again?").arg(missed.size());
    if (platform::msgbox(question, platform::Buttons::YesNo) != platform::Answer::Yes)
        return;

    // The run asks from memory: the book comes back for the missed questions alone, in book
    // order unless the questions are shuffled, while its file stays closed.
    auto &s = modquiz::state();
    s.questions = book;
    std::sort(missed.begin(), missed.end());
    m_missed.clear();
    m_plan = runplan::make(missed, runshufflequestions, runshuffleanswers,
                           m_random ? m_random : runplan::systemrandom());
    m_plan.review = true;
    score = 0;
    secondtry = false;
    s.curq = 1;
    s.workq = runquestion(1);
    showquestion();
    setlabnum(QStringLiteral("1"));
    picedit->hide();
    picqb->show();
    cmdskip->setFocus();
}
