#include "platform/termprogress.h"

#include <cstdio>

#include <unistd.h>

namespace platform {
namespace {

constexpr qint64 quietms = 1000; // work shorter than this shows nothing
constexpr qint64 redrawms = 200;

} // namespace

TerminalProgress::TerminalProgress(const QString &label)
    : m_label(label), m_terminal(isatty(fileno(stderr)) == 1)
{
    m_clock.start();
}

TerminalProgress::~TerminalProgress()
{
    end();
}

void TerminalProgress::end()
{
    if (m_shownat >= 0)
        std::fputs("\r\033[K", stderr);
    m_shownat = -1;
}

void TerminalProgress::report(qint64 done, qint64 total)
{
    show(QStringLiteral("%1 %2 / %3").arg(m_label).arg(done).arg(total));
}

void TerminalProgress::percent(qint64 done, qint64 total)
{
    show(QStringLiteral("%1 %2%").arg(m_label).arg(total > 0 ? done * 100 / total : 0));
}

void TerminalProgress::show(const QString &text)
{
    const qint64 now = m_clock.elapsed();
    if (!m_terminal || now < quietms || (m_shownat >= 0 && now - m_shownat < redrawms))
        return;
    m_shownat = now;
    std::fprintf(stderr, "\r\033[K%s", qPrintable(text));
    std::fflush(stderr);
}

} // namespace platform
