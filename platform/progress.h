#pragma once

#include <QString>

#include <atomic>
#include <functional>

class QWidget;

namespace platform {

// What long work tells the window while it runs on another thread, and how the window asks it
// to stop. The worker calls report(); the window reads the counts and sets the stop.
class Work
{
public:
    // Records done of total; false once the user asked to stop.
    bool report(int done, int total)
    {
        m_total = total;
        m_done = done;
        return !m_stop;
    }
    [[nodiscard]] bool stopped() const { return m_stop; }

private:
    friend bool runwithprogress(QWidget *, const QString &, const std::function<void(Work &)> &);
    std::atomic<int> m_done = 0;
    std::atomic<int> m_total = 0;
    std::atomic<bool> m_stop = false;
};

// Runs work on a worker thread while the window's thread goes on repainting, with a window-
// modal progress dialog (objectName "progress") that appears, as Qt's does, only when the work
// takes a while, and whose Cancel asks the work to stop. Input to the window waits until the
// dialog shows. Returns when the work has ended: false when the user cancelled.
bool runwithprogress(QWidget *parent, const QString &label,
                     const std::function<void(Work &)> &work);

} // namespace platform
