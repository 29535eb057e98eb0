// qbook: reads quiz books and moves their questions to and from other formats, without a
// display. It answers --help and --version, then hands the arguments to one sub-command.
#include "print/printcommand.h"
#include "qbook/bookcommands.h"
#include "qbook/resultscommand.h"
#include "qbook/serve.h"

#include <QCoreApplication>

#include <array>
#include <cstdio>

namespace {

using Command = int (*)(const QStringList &arguments);

// Each sub-command runs under the application object it needs; the book commands need Qt
// Core only, so that they run where there is no display.
int withcore(int &argc, char **argv, Command command, const QStringList &arguments)
{
    const QCoreApplication app(argc, argv);
    return command(arguments);
}

// print lays text out in fonts, which a core-only application cannot give: it makes its own
// application object on the offscreen platform.
int withgui(int &argc, char **argv, Command, const QStringList &)
{
    return qbookprint(argc - 2, argv + 2);
}

struct Subcommand
{
    const char *name;
    int (*run)(int &argc, char **argv, Command command, const QStringList &arguments);
    Command command;
};

const std::array subcommands = {
    Subcommand{"info", withcore, cli::info},
    Subcommand{"check", withcore, cli::check},
    Subcommand{"export", withcore, cli::exportbook},
    Subcommand{"import", withcore, cli::importbook},
    Subcommand{"print", withgui, nullptr},
    Subcommand{"serve", withcore, cli::serve},
    Subcommand{"results", withcore, cli::results},
};

const char helptext[] =
    "Usage: qbook info BOOK.Q\n"
    "       qbook check BOOK.Q...\n"
    "       qbook export BOOK.Q [-f FORMAT] [-o OUT] [--force]\n"
    "       qbook import IN [-f FORMAT] -o BOOK.Q [--category TEXT] [--author TEXT] [--force]\n"
    "       qbook print BOOK.Q -o EXAM.pdf [--no-key] [--page-size A4|Letter] [--force]\n"
    "       qbook serve BOOK.Q [--port N] [--bind ADDRESS] [--one-chance]\n"
    "                   [--shuffle-questions] [--shuffle-answers]\n"
    "       qbook results BOOK.Q [--csv | --json] [--questions]\n"
    "\n"
    "Read quiz books and move their questions to and from GIFT, Aiken, Moodle XML,\n"
    "CSV and JSON.\n"
    "\n"
    "Commands:\n"
    "  info     show a book's category, author, type mark, stored count, the number\n"
    "           of questions read and its problems\n"
    "  check    list the problems of each book: stored count against the questions\n"
    "           read, type mark, right answers outside 1 to 4, empty texts\n"
    "  export   write a book in another format, to OUT or to standard output\n"
    "  import   make a new book from a file in another format (IN - is standard\n"
    "           input)\n"
    "  print    write a book as an exam PDF: a title block, the numbered questions\n"
    "           and, on a page of its own, the answer key\n"
    "  serve    host a class on the local network: students join in their browsers\n"
    "           with the printed address and code; Ctrl+C ends the class and prints\n"
    "           each student's result\n"
    "  results  list the attempts kept for a book (date, who, score, options), or\n"
    "           with --questions the figures of its questions; --csv and --json\n"
    "           print them as CSV or JSON\n"
    "\n"
    "Options:\n"
    "  -f, --format=FORMAT  gift, aiken, xml, csv or json; without it the format\n"
    "                       follows the extension of OUT (export) or IN (import)\n"
    "  -o, --output=FILE    the file to write\n"
    "      --category=TEXT  the new book's category (default: the one IN names)\n"
    "      --author=TEXT    the new book's author (default: the one IN names)\n"
    "      --force          replace FILE when it exists\n"
    "      --no-key         (print) leave the answer key out\n"
    "      --page-size=SIZE (print) A4 or Letter; the locale's size without it\n"
    "      --port=N         (serve) the port to listen on (default 8080; 0: any free)\n"
    "      --bind=ADDRESS   (serve) the address to listen on (default: every IPv4 one)\n"
    "      --one-chance, --shuffle-questions, --shuffle-answers\n"
    "                       (serve) the class's options, as in the Edit menu\n"
    "  -h, --help           show this help and exit\n"
    "  -v, --version        show the version and exit\n"
    "\n"
    "Each item that could not be carried over as it stood is reported on standard\n"
    "error as FILE:LINE: reason (for a book, LINE is the question number).\n"
    "\n"
    "Exit status: 0 when done, also when import or export skipped items; 1 when\n"
    "nothing could be imported, a file could not be read or written, or check found\n"
    "problems, or results found no attempts kept for the book; 2 for a usage error.\n";

const char versiontext[] = "qbook (quiz) " QUIZ_VERSION "\n";

enum class Request { None, Help, Version };

// --help and --version anywhere before "--", as GNU programs take them.
Request request(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return Request::Help;
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v"))
            return Request::Version;
    }
    return Request::None;
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    switch (request(arguments)) {
    case Request::Help:
        std::fputs(helptext, stdout);
        return cli::exitok;
    case Request::Version:
        std::fputs(versiontext, stdout);
        return cli::exitok;
    case Request::None:
        break;
    }

    if (arguments.isEmpty())
        return cli::usageerror(
            QStringLiteral("missing command (info, check, export, import or print)"));
    for (const Subcommand &subcommand : subcommands) {
        if (arguments.constFirst() == QLatin1String(subcommand.name))
            return subcommand.run(argc, argv, subcommand.command, arguments.mid(1));
    }
    return cli::usageerror(QStringLiteral("unknown command '%1'").arg(arguments.constFirst()));
}
