#include "print/printcommand.h"

#include "platform/files.h"
#include "platform/termprogress.h"
#include "print/bookprint.h"
#include "storage/modquiz.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

constexpr char usage[] =
    "Usage: qbook print BOOK.Q -o OUT.pdf [--no-key] [--page-size A4|Letter] [--force]\n";

struct Request
{
    QString book;
    QString output;
    bool answerkey = true;
    bool force = false;
    std::optional<QPageSize> pagesize;
};

void complain(const QString &text)
{
    std::fprintf(stderr, "qbook print: %s\n", qPrintable(text));
}

std::optional<QPageSize> pagesizenamed(const QString &name)
{
    if (name.compare(QLatin1String("A4"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::A4);
    if (name.compare(QLatin1String("Letter"), Qt::CaseInsensitive) == 0)
        return QPageSize(QPageSize::Letter);
    return std::nullopt;
}

// Parses the arguments; an empty optional after the problem has been reported.
std::optional<Request> parse(const QStringList &arguments)
{
    Request request;
    QStringList books;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        // The value of an option: "--page-size=A4", "--page-size A4", "-oOUT" or "-o OUT".
        const auto value = [&](const QString &option) -> std::optional<QString> {
            if (argument.startsWith(option + QLatin1Char('=')))
                return argument.mid(option.size() + 1);
            if (option.size() == 2 && argument.size() > 2 && argument.startsWith(option))
                return argument.mid(2);
            if (argument != option)
                return std::nullopt;
            if (i + 1 >= arguments.size())
                return QString();
            return arguments.at(++i);
        };
        if (argument == QLatin1String("--")) {
            books += arguments.mid(i + 1);
            break;
        }
        if (argument == QLatin1String("--no-key")) {
            request.answerkey = false;
            continue;
        }
        if (argument == QLatin1String("--force")) {
            request.force = true;
            continue;
        }
        if (const auto out =
                argument.startsWith(QLatin1String("--")) ? value("--output") : value("-o")) {
            if (out->isEmpty()) {
                complain(QStringLiteral("-o needs a file name"));
                return std::nullopt;
            }
            request.output = *out;
            continue;
        }
        if (const auto size = value(QStringLiteral("--page-size"))) {
            request.pagesize = pagesizenamed(*size);
            if (!request.pagesize) {
                complain(QStringLiteral("unknown page size \"%1\": A4 or Letter").arg(*size));
                return std::nullopt;
            }
            continue;
        }
        if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            complain(QStringLiteral("unknown option \"%1\"").arg(argument));
            return std::nullopt;
        }
        books += argument;
    }
    if (books.size() != 1) {
        complain(books.isEmpty() ? QStringLiteral("no book given")
                                 : QStringLiteral("one book at a time"));
        return std::nullopt;
    }
    if (request.output.isEmpty()) {
        complain(QStringLiteral("no output file given (-o OUT.pdf)"));
        return std::nullopt;
    }
    request.book = books.first();
    return request;
}

int run(const Request &request)
{
    // Like the other commands: the book is never written over, another file only when asked.
    if (platform::samefile(request.output, request.book)) {
        complain(QStringLiteral("%1 is the file being read; it is never written over")
                     .arg(request.output));
        return 1;
    }
    if (!request.force && QFileInfo::exists(request.output)) {
        complain(QStringLiteral("%1 exists; use --force to replace it").arg(request.output));
        return 1;
    }
    QString why;
    const std::optional<modquiz::BookFile> book = modquiz::readbookfile(request.book, &why);
    if (!book) {
        complain(QStringLiteral("cannot read %1: %2").arg(request.book, why));
        return 1;
    }
    if (!book->complete) {
        complain(QStringLiteral("cannot read %1: more than %2 questions")
                     .arg(request.book)
                     .arg(qbook::maxquestions));
        return 1;
    }
    if (!book->whole) {
        complain(QStringLiteral("cannot read %1: not a quiz book").arg(request.book));
        return 1;
    }
    const QBookHeader header = bookprint::titled(book->header, request.book);
    const QuestionList &questions = book->questions;

    bookprint::PrintOptions options;
    options.answerkey = request.answerkey;
    QString error;
    const QPageSize pagesize = request.pagesize.value_or(bookprint::defaultpagesize());
    platform::TerminalProgress progress(QStringLiteral("qbook print: page"));
    const auto report = [&progress](int done, int total) {
        progress.report(done, total);
        return true;
    };
    if (!bookprint::writepdf(request.output, header, questions, options, pagesize, &error,
                             report)) {
        complain(QStringLiteral("cannot write %1: %2").arg(request.output, error));
        return 1;
    }
    return 0;
}

} // namespace

int qbookprint(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments += QString::fromLocal8Bit(argv[i]);
    if (arguments.contains(QLatin1String("--help")) || arguments.contains(QLatin1String("-h"))) {
        std::fputs(usage, stdout);
        return 0;
    }
    const auto request = parse(arguments);
    if (!request) {
        std::fputs(usage, stderr);
        return 2;
    }

    // Fonts and the PDF writer need a GUI application; the offscreen platform needs no display.
    std::unique_ptr<QGuiApplication> app;
    if (!QCoreApplication::instance()) {
        static int appargc = 3;
        static char name[] = "qbook", option[] = "-platform", platform[] = "offscreen";
        static char *appargv[] = {name, option, platform, nullptr};
        app = std::make_unique<QGuiApplication>(appargc, appargv);
    } else if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        complain(QStringLiteral("printing needs a GUI application object, not a core one"));
        return 1;
    }
    return run(*request);
}
