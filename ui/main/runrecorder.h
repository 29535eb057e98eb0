#pragma once

#include "results/attempt.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <optional>

class RunPanel;
namespace results {
class Store;
}

// Keeps each run of the run panel in the results store: the attempt is put together while the
// run goes on and written when it ends, or when it is given up (the book closed, another
// opened, the program ended). Nothing is written while Keep Results is off. A store that cannot
// be written is reported once, after the run's own end message.
class RunRecorder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunRecorder)

public:
    explicit RunRecorder(RunPanel *run);
    ~RunRecorder() override;

private:
    void started(bool review, int maximum);
    void asked(int booknumber);
    void chose(int booknumber, char bookletter);
    void questionended(int booknumber, results::Outcome outcome);
    void ended(int score, int maximum);
    // A run given up keeps what it answered; one that answered nothing leaves no trace.
    void abandon(bool tell);
    void keep(bool tell);

    RunPanel *m_run;
    std::optional<results::Attempt> m_attempt;
    results::Answer m_current;
    QElapsedTimer m_timer;
    std::unique_ptr<results::Store> m_store;
    bool m_told = false;
};
