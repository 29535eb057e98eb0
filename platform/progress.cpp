#include "platform/progress.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

namespace platform {

bool runwithprogress(QWidget *parent, const QString &label, const std::function<void(Work &)> &work)
{
    Work state;
    QProgressDialog dialog(label, QStringLiteral("Cancel"), 0, 0, parent);
    dialog.setObjectName(QStringLiteral("progress"));
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    // Work that takes over a second shows how far it is, as the command line's progress does.
    dialog.setMinimumDuration(1000);

    QEventLoop loop;
    bool finished = false;
    QFutureWatcher<void> watcher;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    bool shown = false;
    QTimer tick;
    tick.setInterval(50);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (dialog.wasCanceled())
            state.m_stop = true;
        dialog.setMaximum(state.m_total);
        dialog.setValue(state.m_done);
        // Once the dialog shows, it is modal and takes the user's input itself.
        if (dialog.isVisible() != shown)
            loop.quit();
    });
    tick.start();
    watcher.setFuture(QtConcurrent::run([&] { work(state); }));
    while (!finished) {
        shown = dialog.isVisible();
        loop.exec(shown ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    }
    if (dialog.wasCanceled())
        state.m_stop = true;
    return !state.m_stop;
}

} // namespace platform
