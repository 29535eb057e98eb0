// qbook serve: hosts a class on the network without a display, until Ctrl+C or SIGTERM.
#include "qbook/serve.h"

#include "classroom/server.h"
#include "classroom/session.h"
#include "qbook/bookcommands.h"
#include "results/store.h"
#include "storage/modquiz.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace cli {

namespace {

void say(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

// Ctrl+C and SIGTERM arrive as a readable descriptor, so the class ends in the event loop.
int signaldescriptor()
{
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGINT);
    sigaddset(&mask, SIGTERM);
    if (sigprocmask(SIG_BLOCK, &mask, nullptr) != 0)
        return -1;
    return signalfd(-1, &mask, SFD_CLOEXEC | SFD_NONBLOCK);
}

} // namespace

int serve(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("book"), QString());
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("N"),
                                  QStringLiteral("8080"));
    const QCommandLineOption bind(QStringLiteral("bind"), QString(), QStringLiteral("ADDRESS"),
                                  QStringLiteral("0.0.0.0"));
    const QCommandLineOption onechance(QStringLiteral("one-chance"));
    const QCommandLineOption shufflequestions(QStringLiteral("shuffle-questions"));
    const QCommandLineOption shuffleanswers(QStringLiteral("shuffle-answers"));
    parser.addOptions({port, bind, onechance, shufflequestions, shuffleanswers});
    if (!parser.parse(QStringList{QStringLiteral("qbook")} + arguments))
        return usageerror(parser.errorText());
    if (parser.positionalArguments().size() != 1)
        return usageerror(QStringLiteral("serve takes one book"));
    bool portok = false;
    const uint portnumber = parser.value(port).toUInt(&portok);
    if (!portok || portnumber > 65535)
        return usageerror(QStringLiteral("--port takes a number from 0 to 65535"));
    const QHostAddress address(parser.value(bind));
    if (address.isNull())
        return usageerror(QStringLiteral("--bind takes an IP address"));

    const QString path = parser.positionalArguments().constFirst();
    QString why;
    const auto book = modquiz::readbookfile(path, &why);
    if (!book) {
        std::fprintf(stderr, "qbook: cannot read %s: %s\n", qPrintable(path), qPrintable(why));
        return exitfailed;
    }
    classroom::Session session(path, book->header, book->questions);
    (void)session.setoptions({parser.isSet(onechance), parser.isSet(shufflequestions),
                              parser.isSet(shuffleanswers), false});
    if (session.questioncount() == 0) {
        std::fprintf(stderr, "qbook: %s has no question to ask\n", qPrintable(path));
        return exitfailed;
    }
    const int wakeups = signaldescriptor();
    if (wakeups < 0) {
        std::perror("qbook: signalfd");
        return exitfailed;
    }
    classroom::Server server(session);
    if (!server.listen(address, quint16(portnumber))) {
        std::fprintf(stderr, "qbook: cannot listen on %s port %u: %s\n",
                     qPrintable(address.toString()), portnumber, qPrintable(server.error()));
        ::close(wakeups);
        return exitfailed;
    }

    QStringList urls;
    if (address == QHostAddress::AnyIPv4 || address == QHostAddress::Any)
        urls = classroom::lanurls(server.port());
    if (urls.isEmpty()) {
        const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QLatin1Char('[') + address.toString() + QLatin1Char(']')
                                 : address.toString();
        urls.append(QStringLiteral("http://%1:%2").arg(host).arg(server.port()));
    }
    say(QStringLiteral("Class open: %1 question(s) of %2").arg(session.questioncount()).arg(path));
    for (const QString &url : std::as_const(urls))
        say(QStringLiteral("Address: ") + url);
    say(QStringLiteral("Code: ") + session.code());
    say(QStringLiteral("Ctrl+C ends the class."));

    // A line as each student finishes, the others' when the class ends; each kept in the
    // results store.
    results::Store store;
    bool allkept = true;
    session.setsink([&store, &allkept](const results::Attempt &attempt) {
        say(QStringLiteral("Result: %1, %2 of %3, %4")
                .arg(attempt.taker)
                .arg(attempt.score)
                .arg(attempt.maximum)
                .arg(attempt.finished ? QStringLiteral("finished") : QStringLiteral("abandoned")));
        if (!store.record(attempt)) {
            std::fprintf(stderr, "qbook: results cannot be kept: %s\n", qPrintable(store.error()));
            allkept = false;
        }
    });

    QSocketNotifier notifier(wakeups, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] {
        signalfd_siginfo received;
        while (::read(wakeups, &received, sizeof received) == sizeof received) {
        }
        notifier.setEnabled(false);
        server.close();
        const auto attempts = session.end();
        say(QStringLiteral("Class ended: %1 student(s)").arg(attempts.size()));
        if (allkept)
            say(QStringLiteral("Results kept in ") + store.path());
        QCoreApplication::quit();
    });
    const int status = QCoreApplication::exec();
    ::close(wakeups);
    return status == 0 && allkept ? exitok : exitfailed;
}

} // namespace cli
