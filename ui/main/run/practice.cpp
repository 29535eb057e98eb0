// The practice options of a run: shuffled questions and answers, and another go at the
// questions a run missed.
#include "ui/main/run/runpanel.h"

#include "platform/msgbox.h"
#include "storage/modquiz.h"

#include <QPushButton>

#include <algorithm>

void RunPanel::setrandomsource(runplan::RandomSource random)
{
    m_random = std::move(random);
}

void RunPanel::planrun()
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

int RunPanel::runlength() const
{
    // The edit panel's Close may empty the questions under a running quiz: nothing is left.
    const int loaded = modquiz::lastquestion();
    if (m_plan.order.isEmpty() || loaded == 0)
        return loaded;
    return int(m_plan.order.size());
}

QuestionRecord RunPanel::runquestion(int position) const
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

int RunPanel::runmaximum() const
{
    // Computed in int: the largest book holds 32,766 questions, 327,660 points.
    if (m_plan.review)
        return 10 * int(m_plan.order.size());
    return 10 * int(modquiz::state().qbheader.count);
}

void RunPanel::markmissed()
{
    const int position = modquiz::state().curq;
    if (position < 1 || position > runlength())
        return;
    const int booknumber = m_plan.order.isEmpty() ? position : m_plan.order.at(position - 1);
    if (!m_missed.contains(booknumber))
        m_missed.append(booknumber);
}

int RunPanel::booknumber() const
{
    const int position = modquiz::state().curq;
    if (position < 1 || position > runlength())
        return 0;
    return m_plan.order.isEmpty() ? position : m_plan.order.at(position - 1);
}

char RunPanel::bookletter(int button) const
{
    const int position = modquiz::state().curq;
    if (m_plan.answerorder.isEmpty() || position < 1 || position > m_plan.answerorder.size())
        return char('A' + button);
    const int number = booknumber();
    const auto order =
        runplan::placed(modquiz::state().questions.at(number), m_plan.answerorder.at(position - 1));
    return char('A' + order[button]);
}

QList<int> RunPanel::missedquestions() const
{
    QList<int> missed = m_missed;
    std::sort(missed.begin(), missed.end());
    return missed;
}

void RunPanel::offerreview(const QList<QuestionRecord> &book, QList<int> missed)
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
    modquiz::state().questions = book;
    practise(std::move(missed));
}

void RunPanel::practise(QList<int> missed)
{
    auto &s = modquiz::state();
    std::sort(missed.begin(), missed.end());
    m_missed.clear();
    m_plan = runplan::make(missed, runshufflequestions, runshuffleanswers,
                           m_random ? m_random : runplan::systemrandom());
    m_plan.review = true;
    emit runstarted(true, runmaximum());
    m_score = 0;
    m_secondtry = false;
    s.curq = 1;
    s.workq = runquestion(1);
    showquestion();
    setlabnum(QStringLiteral("1"));
    emit asked(booknumber());
    emit reviewstarting();
    show();
    cmdskip->setFocus();
}
