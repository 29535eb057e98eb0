// The quiz program: answers --help and --version, or builds the main window and runs it.
#include "app/cmdline.h"
#include "ui/main/frmquiz.h"

#include <QApplication>

#include <cstdio>

namespace {

QStringList arguments(int argc, char *argv[])
{
    QStringList list;
    for (int i = 1; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

int print(const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Answered before QApplication exists, so that they need no display.
    const QStringList args = arguments(argc, argv);
    switch (cmdline::request(args)) {
    case cmdline::Request::Help:
        return print(cmdline::helptext());
    case cmdline::Request::Version:
        return print(cmdline::versiontext());
    case cmdline::Request::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quiz"));
    // Lets the desktop tie the window to the installed launcher and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(QUIZ_APP_ID));
    frmquiz window;
    // QApplication has taken its own options (-platform, -style...) out of the arguments.
    window.Form_Load(cmdline::launch(QCoreApplication::arguments().mid(1)));
    window.show();
    return app.exec();
}
