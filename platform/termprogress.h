#pragma once

#include <QElapsedTimer>
#include <QString>

namespace platform {

// A progress line on standard error for command-line work that takes more than about a
// second, and only when standard error is a terminal: never in a pipe, a file or a log.
class TerminalProgress
{
public:
    explicit TerminalProgress(const QString &label);
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    // "label done / total", redrawn a few times a second at most.
    void report(qint64 done, qint64 total);
    // "label 40%", for work counted in units the user does not see.
    void percent(qint64 done, qint64 total);
    // Takes the line away, so that what is written next starts a clean line.
    void end();

private:
    void show(const QString &text);

    QString m_label;
    QElapsedTimer m_clock;
    qint64 m_shownat = -1;
    bool m_terminal = false;
};

} // namespace platform
