#include "ui/main/runrecorder.h"

#include "platform/msgbox.h"
#include "results/store.h"
#include "storage/modquiz.h"
#include "ui/main/quizsettings.h"
#include "ui/main/run/runpanel.h"

#include <QFileInfo>

RunRecorder::RunRecorder(RunPanel *run) : QObject(run), m_run(run)
{
    connect(run, &RunPanel::runstarted, this, &RunRecorder::started);
    connect(run, &RunPanel::asked, this, &RunRecorder::asked);
    connect(run, &RunPanel::chose, this, &RunRecorder::chose);
    connect(run, &RunPanel::questionended, this, &RunRecorder::questionended);
    connect(run, &RunPanel::runended, this, &RunRecorder::ended);
    connect(run, &RunPanel::closed, this, [this] { abandon(true); });
}

RunRecorder::~RunRecorder()
{
    // The program ends: a run still on screen is kept as given up, with no message.
    abandon(false);
}

void RunRecorder::started(bool review, int maximum)
{
    abandon(true);
    // A run begun while Keep Results is off is not kept: naming the largest book by its
    // questions takes a moment that nothing would use.
    if (!QuizSettings::keepresults())
        return;
    const auto &s = modquiz::state();
    results::Attempt attempt;
    attempt.bookhash = results::bookhash(s.questions, true);
    attempt.bookpath = QFileInfo(s.qbpath).absoluteFilePath();
    attempt.category = s.qbheader.category;
    attempt.taker = results::loginname();
    attempt.started = QDateTime::currentDateTime();
    attempt.options = {m_run->onechance(), m_run->shufflesquestions(), m_run->shufflesanswers(),
                       review};
    attempt.maximum = maximum;
    m_attempt = std::move(attempt);
}

void RunRecorder::asked(int booknumber)
{
    const auto &questions = modquiz::state().questions;
    if (!m_attempt || booknumber < 1 || booknumber >= questions.size())
        return;
    m_current = {booknumber, results::questionhash(questions.at(booknumber))};
    m_timer.start();
}

void RunRecorder::chose(int booknumber, char bookletter)
{
    if (!m_attempt || booknumber != m_current.question)
        return;
    (m_current.first ? m_current.second : m_current.first) = bookletter;
}

void RunRecorder::questionended(int booknumber, results::Outcome outcome)
{
    if (!m_attempt || booknumber != m_current.question || booknumber == 0)
        return;
    m_current.outcome = outcome;
    m_current.seconds = m_timer.isValid() ? m_timer.elapsed() / 1000.0 : 0;
    m_attempt->answers.push_back(m_current);
    m_attempt->score += outcome == results::Outcome::RightFirst    ? 10
                        : outcome == results::Outcome::RightSecond ? 5
                                                                   : 0;
    m_current = {};
}

void RunRecorder::ended(int score, int maximum)
{
    if (!m_attempt)
        return;
    m_attempt->score = score;
    m_attempt->maximum = maximum;
    m_attempt->finished = true;
    keep(true);
}

void RunRecorder::abandon(bool tell)
{
    if (!m_attempt || m_attempt->answers.empty()) {
        m_attempt.reset();
        return;
    }
    m_attempt->finished = false;
    keep(tell);
}

void RunRecorder::keep(bool tell)
{
    results::Attempt attempt = std::move(*m_attempt);
    m_attempt.reset();
    if (!QuizSettings::keepresults())
        return;
    attempt.ended = QDateTime::currentDateTime();
    if (!m_store)
        m_store = std::make_unique<results::Store>();
    if (m_store->record(attempt) || m_told || !tell)
        return;
    m_told = true;
    platform::msgbox(QStringLiteral("Results cannot be kept: ") + m_store->error());
}
