#include "qbook/bookcommands.h"

#include "interchange/interchange.h"
#include "platform/files.h"
#include "platform/termprogress.h"
#include "storage/modquiz.h"
#include "storage/soundness.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>

namespace cli {
namespace {

using interchange::counted;
using interchange::nquestions;
using interchange::Problem;

void printto(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void say(const QString &text)
{
    printto(stdout, text + QLatin1Char('\n'));
}

void complain(const QString &text)
{
    printto(stderr, QStringLiteral("qbook: ") + text + QLatin1Char('\n'));
}

// "FILE:LINE: reason", or "FILE: reason" for the file as a whole, as compilers write them.
QString problemline(const QString &file, const Problem &problem)
{
    if (problem.line == 0)
        return file + QStringLiteral(": ") + problem.reason;
    return file + QLatin1Char(':') + QString::number(problem.line) + QStringLiteral(": ") +
           problem.reason;
}

void reportproblems(std::FILE *stream, const QString &file, const QList<Problem> &problems)
{
    for (const Problem &problem : problems)
        printto(stream, problemline(file, problem) + QLatin1Char('\n'));
}

// "-" is standard input, as in other command-line tools; a file is read through the one
// reading entry, which refuses pipes and devices without waiting on them.
std::optional<QByteArray> readinput(const QString &path, qint64 maxbytes)
{
    QString why;
    std::optional<QByteArray> bytes;
    if (path == QLatin1String("-")) {
        QFile input;
        if (input.open(stdin, QIODevice::ReadOnly))
            bytes = platform::readbounded(input, maxbytes, &why);
        else
            why = input.errorString();
    } else {
        bytes = platform::readfile(path, maxbytes, &why);
    }
    if (!bytes)
        complain(QStringLiteral("cannot read %1: %2").arg(path, why));
    return bytes;
}

int questioncount(const QuestionList &questions)
{
    return questions.isEmpty() ? 0 : static_cast<int>(questions.size() - 1);
}

QString nitems(qsizetype n)
{
    return counted(n, QStringLiteral("item"), QStringLiteral("items"));
}

using Book = modquiz::BookFile;

// wholebook: a file of another kind is refused, as export and print must not pass one on.
std::optional<Book> readbook(const QString &path, bool wholebook = false)
{
    std::optional<Book> book;
    if (path == QLatin1String("-")) {
        const std::optional<QByteArray> bytes = readinput(path, modquiz::maxbookbytes);
        if (!bytes)
            return std::nullopt;
        book = modquiz::readbookbytes(*bytes);
    } else {
        QString why;
        book = modquiz::readbookfile(path, &why);
        if (!book)
            complain(QStringLiteral("cannot read %1: %2").arg(path, why));
    }
    if (book && wholebook && book->complete && !book->whole) {
        complain(QStringLiteral("cannot read %1: not a quiz book").arg(path));
        return std::nullopt;
    }
    return book;
}

// What keeps a book from being the sound book the editor writes.
QList<Problem> bookproblems(const Book &book)
{
    QList<Problem> problems;
    const int read = questioncount(book.questions);
    if (!book.complete)
        problems.append({0, QStringLiteral("more than %1 questions: the program cannot open it")
                                .arg(qbook::maxquestions)});
    if (book.header.magic != QLatin1String(qbook::magicmark))
        problems.append({0, QStringLiteral("type mark is \"%1\", not \"%2\"")
                                .arg(book.header.magic, QLatin1String(qbook::magicmark))});
    if (book.hidden > 0)
        problems.append(
            {0,
             QStringLiteral("stored count is 0 but the file holds %1: the program opens it empty")
                 .arg(nquestions(book.hidden))});
    if (book.header.count != read)
        problems.append({0, QStringLiteral("stored count is %1 but %2 were read")
                                .arg(QString::number(book.header.count), nquestions(read))});
    for (int k = 1; k <= read; ++k) {
        const QuestionRecord &question = book.questions[k];
        if (const qbook::Unsound why = qbook::soundness(question); why != qbook::Unsound::None)
            problems.append({k, qbook::unsoundreason(why, question.correct)});
    }
    return problems;
}

const QCommandLineOption formatoption({QStringLiteral("f"), QStringLiteral("format")}, QString(),
                                      QStringLiteral("FORMAT"));
const QCommandLineOption outputoption({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                      QStringLiteral("FILE"));
const QCommandLineOption categoryoption(QStringLiteral("category"), QString(),
                                        QStringLiteral("TEXT"));
const QCommandLineOption authoroption(QStringLiteral("author"), QString(), QStringLiteral("TEXT"));
const QCommandLineOption forceoption(QStringLiteral("force"));

// Parses the sub-command's arguments; false after a usage error has been printed.
bool parse(QCommandLineParser &parser, const QList<QCommandLineOption> &options,
           const QStringList &arguments, qsizetype minfiles, qsizetype maxfiles)
{
    parser.addOptions(options);
    // The parser reads the first element as the program's name.
    if (!parser.parse(QStringList{QStringLiteral("qbook")} + arguments)) {
        usageerror(parser.errorText());
        return false;
    }
    const qsizetype files = parser.positionalArguments().size();
    if (files < minfiles) {
        usageerror(QStringLiteral("missing file name"));
        return false;
    }
    if (files > maxfiles) {
        usageerror(QStringLiteral("unexpected argument '%1'")
                       .arg(parser.positionalArguments().at(maxfiles)));
        return false;
    }
    return true;
}

// The format named by -f, else the one that path's extension names.
std::optional<interchange::Format> chosenformat(const QCommandLineParser &parser,
                                                const QString &path)
{
    if (parser.isSet(formatoption)) {
        const QString name = parser.value(formatoption);
        const auto format = interchange::formatfromname(name);
        if (!format)
            usageerror(
                QStringLiteral("unknown format '%1' (gift, aiken, xml, csv or json)").arg(name));
        return format;
    }
    const auto format = path.isEmpty() || path == QLatin1String("-")
                            ? std::nullopt
                            : interchange::formatfrompath(path);
    if (!format)
        usageerror(QStringLiteral("cannot tell the format of '%1'; give -f FORMAT")
                       .arg(path.isEmpty() ? QStringLiteral("standard output") : path));
    return format;
}

// No command writes over the file it reads, under any name; an existing file is replaced only
// when the user said so.
bool mayreplace(const QString &path, bool force, const QString &input)
{
    if (input != QLatin1String("-") && platform::samefile(path, input)) {
        complain(QStringLiteral("%1 is the file being read; it is never written over").arg(path));
        return false;
    }
    if (force || !QFileInfo::exists(path))
        return true;
    complain(QStringLiteral("%1 exists; use --force to replace it").arg(path));
    return false;
}

bool writeout(const QString &path, const QByteArray &bytes, const QString &input)
{
    platform::ReplacingFile file(path);
    if (input != QLatin1String("-"))
        file.keepintact(input);
    if (file.open()) {
        (void)file.device()->write(bytes);
        if (file.commit())
            return true;
    }
    complain(QStringLiteral("cannot write %1: %2").arg(path, file.reason()));
    return false;
}

bool writestandardoutput(const QByteArray &bytes)
{
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()),
                                     stdout) == static_cast<size_t>(bytes.size()) &&
                         std::fflush(stdout) == 0;
    if (!written)
        complain(QStringLiteral("cannot write to standard output"));
    return written;
}

} // namespace

int usageerror(const QString &message)
{
    complain(message);
    printto(stderr, QStringLiteral("Try 'qbook --help' for more information.\n"));
    return exitusage;
}

int info(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parse(parser, {}, arguments, 1, 1))
        return exitusage;
    const QString path = parser.positionalArguments().constFirst();
    const std::optional<Book> book = readbook(path);
    if (!book)
        return exitfailed;
    const QList<Problem> problems = bookproblems(*book);
    say(QStringLiteral("Category: ") + book->header.category);
    say(QStringLiteral("Author: ") + book->header.author);
    say(QStringLiteral("Type mark: ") + book->header.magic);
    say(QStringLiteral("Stored count: ") + QString::number(book->header.count));
    say(QStringLiteral("Questions read: ") + QString::number(questioncount(book->questions)));
    say(QStringLiteral("Problems: ") + QString::number(problems.size()));
    reportproblems(stdout, path, problems);
    return exitok;
}

int check(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parse(parser, {}, arguments, 1, std::numeric_limits<qsizetype>::max()))
        return exitusage;
    int status = exitok;
    for (const QString &path : parser.positionalArguments()) {
        const std::optional<Book> book = readbook(path);
        if (!book) {
            status = exitfailed;
            continue;
        }
        const QList<Problem> problems = bookproblems(*book);
        reportproblems(stdout, path, problems);
        if (!problems.isEmpty())
            status = exitfailed;
    }
    return status;
}

int exportbook(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parse(parser, {formatoption, outputoption, forceoption}, arguments, 1, 1))
        return exitusage;
    const QString path = parser.positionalArguments().constFirst();
    // "-" is standard output, as in other command-line tools.
    const QString out =
        parser.value(outputoption) == QLatin1String("-") ? QString() : parser.value(outputoption);
    const auto format = chosenformat(parser, out);
    if (!format)
        return exitusage;
    if (!out.isEmpty() && !mayreplace(out, parser.isSet(forceoption), path))
        return exitfailed;

    const std::optional<Book> book = readbook(path, true);
    if (!book)
        return exitfailed;
    if (!book->complete) {
        complain(QStringLiteral("cannot read %1: more than %2 questions")
                     .arg(path)
                     .arg(qbook::maxquestions));
        return exitfailed;
    }
    // The book's records as they are held, without the unused slot 0: nothing is decoded twice.
    QuestionList questions = book->questions;
    if (!questions.isEmpty())
        questions.removeAt(0);
    platform::TerminalProgress progress(QStringLiteral("qbook export"));
    const interchange::ExportResult result =
        interchange::exportbook(book->header, questions, *format, [&](qint64 done, qint64 total) {
            progress.report(done, total);
            return true;
        });
    progress.end();
    reportproblems(stderr, path, result.problems);
    const bool written =
        out.isEmpty() ? writestandardoutput(result.data) : writeout(out, result.data, path);
    if (!written)
        return exitfailed;
    if (!result.problems.isEmpty())
        complain(QStringLiteral("%1 exported; %2 changed or left out")
                     .arg(nquestions(questions.size()), nitems(result.problems.size())));
    return exitok;
}

int importbook(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parse(parser, {formatoption, outputoption, categoryoption, authoroption, forceoption},
               arguments, 1, 1))
        return exitusage;
    const QString in = parser.positionalArguments().constFirst();
    const QString out = parser.value(outputoption);
    if (out.isEmpty())
        return usageerror(QStringLiteral("import needs -o BOOK.Q"));
    auto format = chosenformat(parser, in);
    if (!format)
        return exitusage;
    if (!mayreplace(out, parser.isSet(forceoption), in))
        return exitfailed;

    std::optional<QByteArray> bytes = readinput(in, interchange::maxfilebytes);
    if (!bytes)
        return exitfailed;
    if (!parser.isSet(formatoption) && interchange::formatbycontent(in)) {
        format = interchange::textformat(*bytes);
        complain(QStringLiteral("%1: read as %2 by its content")
                     .arg(in, interchange::formatname(*format)));
    }
    // Moved in, so that the file's bytes are let go once decoded.
    platform::TerminalProgress progress(QStringLiteral("qbook import"));
    interchange::ImportResult result =
        interchange::importbook(std::move(*bytes), *format, [&](qint64 done, qint64 total) {
            progress.percent(done, total);
            return true;
        });
    progress.end();
    // Texts given on the command line are held to what a book stores, as those of the file.
    if (parser.isSet(categoryoption))
        result.category = interchange::fittext(parser.value(categoryoption),
                                               QStringLiteral("--category"), result.problems);
    if (parser.isSet(authoroption))
        result.author = interchange::fittext(parser.value(authoroption), QStringLiteral("--author"),
                                             result.problems);
    reportproblems(stderr, in, result.problems);
    if (result.questions.isEmpty()) {
        complain(
            QStringLiteral("no questions could be imported from %1; %2 not written").arg(in, out));
        return exitfailed;
    }

    const std::optional<QByteArray> book = interchange::bookbytes(result);
    if (!book) {
        complain(QStringLiteral("%1 holds more than %2 questions; %3 not written")
                     .arg(in)
                     .arg(qbook::maxquestions)
                     .arg(out));
        return exitfailed;
    }
    if (!writeout(out, *book, in))
        return exitfailed;
    complain(QStringLiteral("wrote %1 to %2; %3 skipped or changed")
                 .arg(nquestions(result.questions.size()), out, nitems(result.problems.size())));
    return exitok;
}

} // namespace cli
