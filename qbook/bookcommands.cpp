#include "qbook/bookcommands.h"

#include "interchange/interchange.h"
#include "platform/files.h"
#include "platform/termprogress.h"
#include "storage/modquiz.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
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

// "-" is standard input, as in other command-line tools.
std::optional<QByteArray> readinput(const QString &path)
{
    const bool standardinput = path == QLatin1String("-");
    if (!standardinput && QFileInfo(path).isDir()) {
        complain(QStringLiteral("cannot read %1: it is a folder").arg(path));
        return std::nullopt;
    }
    QFile file(standardinput ? QString() : path);
    const bool opened =
        standardinput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        complain(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        complain(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        return std::nullopt;
    }
    return bytes;
}

int questioncount(const QList<QuestionRecord> &questions)
{
    return questions.isEmpty() ? 0 : static_cast<int>(questions.size() - 1);
}

QString nitems(qsizetype n)
{
    return counted(n, QStringLiteral("item"), QStringLiteral("items"));
}

struct Book
{
    QBookHeader header;
    QList<QuestionRecord> questions; // as the working state holds them: index 0 unused
    bool complete = true;            // false past the most questions a book can hold
    int unread = 0;                  // records that a stored count of 0 hides from the loader
};

std::optional<Book> readbook(const QString &path)
{
    const std::optional<QByteArray> bytes = readinput(path);
    if (!bytes)
        return std::nullopt;
    Book book;
    book.complete = modquiz::parsebook(*bytes, book.header, book.questions);
    // The loader reads no records when the count is 0; what follows the header is counted as
    // if the count said otherwise.
    const QByteArray header = qbook::encodeheader(book.header);
    if (book.header.count == 0 && bytes->size() > header.size() + 1 && bytes->startsWith(header)) {
        QByteArray withcount = *bytes;
        withcount[header.size() - 2] = 1;
        QBookHeader ignored;
        QList<QuestionRecord> records;
        (void)modquiz::parsebook(withcount, ignored, records);
        book.unread = questioncount(records);
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
    if (book.unread > 0)
        problems.append(
            {0,
             QStringLiteral("stored count is 0 but the file holds %1: the program opens it empty")
                 .arg(nquestions(book.unread))});
    if (book.header.count != read)
        problems.append({0, QStringLiteral("stored count is %1 but %2 were read")
                                .arg(QString::number(book.header.count), nquestions(read))});
    for (int k = 1; k <= read; ++k) {
        const QuestionRecord &question = book.questions[k];
        if (question.question.isEmpty())
            problems.append({k, QStringLiteral("question text is empty")});
        for (int i = 0; i < 4; ++i) {
            if (question.answers[i].isEmpty())
                problems.append({k, QStringLiteral("answer %1 is empty").arg(i + 1)});
        }
        if (question.correct < 1 || question.correct > 4)
            problems.append(
                {k, QStringLiteral("right answer is %1, not 1 to 4").arg(question.correct)});
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

// An existing file is replaced only when the user said so.
bool mayreplace(const QCommandLineParser &parser, const QString &path)
{
    if (parser.isSet(forceoption) || !QFileInfo::exists(path))
        return true;
    complain(QStringLiteral("%1 exists; use --force to replace it").arg(path));
    return false;
}

// Through the same atomic replacement as the editor's Save: the old file stays whole until
// every byte of the new one is written.
bool writeout(const QString &path, const QByteArray &bytes)
{
    if (platform::replacefile(path, bytes) == platform::ReplaceResult::Ok)
        return true;
    complain(QStringLiteral("cannot write %1").arg(path));
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
    const QString out = parser.value(outputoption);
    const auto format = chosenformat(parser, out);
    if (!format)
        return exitusage;
    if (!out.isEmpty() && !mayreplace(parser, out))
        return exitfailed;

    const std::optional<Book> book = readbook(path);
    if (!book)
        return exitfailed;
    if (!book->complete) {
        complain(QStringLiteral("cannot read %1: more than %2 questions")
                     .arg(path)
                     .arg(qbook::maxquestions));
        return exitfailed;
    }
    const QList<QuestionRecord> questions =
        book->questions.isEmpty() ? QList<QuestionRecord>() : book->questions.mid(1);
    interchange::ExportResult result;
    platform::TerminalProgress(QStringLiteral("qbook export")).run([&] {
        result = interchange::exportbook(book->header, questions, *format);
    });
    reportproblems(stderr, path, result.problems);
    const bool written =
        out.isEmpty() ? writestandardoutput(result.data) : writeout(out, result.data);
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
    if (!mayreplace(parser, out))
        return exitfailed;

    const std::optional<QByteArray> bytes = readinput(in);
    if (!bytes)
        return exitfailed;
    if (!parser.isSet(formatoption) && interchange::formatbycontent(in)) {
        format = interchange::textformat(*bytes);
        complain(QStringLiteral("%1: read as %2 by its content")
                     .arg(in, interchange::formatname(*format)));
    }
    interchange::ImportResult result;
    platform::TerminalProgress(QStringLiteral("qbook import")).run([&] {
        result = interchange::importbook(*bytes, *format);
    });
    reportproblems(stderr, in, result.problems);
    if (result.questions.isEmpty()) {
        complain(
            QStringLiteral("no questions could be imported from %1; %2 not written").arg(in, out));
        return exitfailed;
    }

    QBookHeader header;
    header.category = parser.isSet(categoryoption) ? parser.value(categoryoption) : result.category;
    header.author = parser.isSet(authoroption) ? parser.value(authoroption) : result.author;
    header.magic = QLatin1String(qbook::magicmark);
    QList<QuestionRecord> questions{QuestionRecord()};
    questions.append(result.questions);
    const std::optional<QByteArray> book = modquiz::serializebook(header, questions);
    if (!book) {
        complain(QStringLiteral("%1 holds more than %2 questions; %3 not written")
                     .arg(in)
                     .arg(qbook::maxquestions)
                     .arg(out));
        return exitfailed;
    }
    if (!writeout(out, *book))
        return exitfailed;
    complain(QStringLiteral("wrote %1 to %2; %3 skipped or changed")
                 .arg(nquestions(result.questions.size()), out, nitems(result.problems.size())));
    return exitok;
}

} // namespace cli
