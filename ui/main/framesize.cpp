#include "ui/main/framesize.h"

#include "platform/msgbox.h"
#include "platform/twips.h"

#include <QEvent>
#include <QLayout>
#include <QMainWindow>

namespace {

QSize clientsize()
{
    return {platform::twips(9525), platform::twips(6030)};
}

} // namespace

FrameSize::FrameSize(QMainWindow *window) : QObject(window), m_window(window)
{
    window->centralWidget()->setFixedSize(clientsize());
    // The window's size follows the fixed client area and the menu bar.
    window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    window->centralWidget()->installEventFilter(this);
}

void FrameSize::allow()
{
    if (m_resizable)
        return;
    m_resizable = true;
    m_window->centralWidget()->setMinimumSize(clientsize());
    m_window->centralWidget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_window->layout()->setSizeConstraint(QLayout::SetMinimumSize);
    m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void FrameSize::fix()
{
    if (!m_resizable)
        return;
    m_resizable = false;
    m_window->centralWidget()->setFixedSize(clientsize());
    m_window->layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_window->layout()->activate();
}

void FrameSize::place()
{
    if (QLayout *windowlayout = m_window->layout())
        windowlayout->activate();
    const QSize screen = platform::totwips(platform::screensize());
    const QSize window = platform::totwips(m_window->frameGeometry().size());
    const double top = screen.height() / 2.0 - window.height() / 2.0 - 600;
    const double left = screen.width() / 2.0 - window.width() / 2.0;
    m_window->move(platform::twips(qRound(left)), platform::twips(qRound(top)));
}

bool FrameSize::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Resize && m_resizable)
        emit resized();
    return QObject::eventFilter(watched, event);
}
