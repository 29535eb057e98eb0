#include "app/cmdline.h"

#include "platform/files.h"

namespace cmdline {
namespace {

bool isoneof(const QString &argument, const char *shortname, const char *longname)
{
    return argument == QLatin1String(shortname) || argument == QLatin1String(longname);
}

// Removes the leading and trailing blanks only: other white space belongs to the path.
QString trimspaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

Request request(const QStringList &arguments)
{
    // Only a lone option asks: "--help" as part of a path with blanks is still a path.
    if (arguments.size() != 1)
        return Request::Run;
    if (isoneof(arguments.first(), "-h", "--help"))
        return Request::Help;
    if (isoneof(arguments.first(), "-v", "--version"))
        return Request::Version;
    return Request::Run;
}

QString commandline(const QStringList &arguments)
{
    if (!arguments.isEmpty() && isoneof(arguments.first(), "-e", "--edit"))
        return QStringLiteral("/E ") + arguments.mid(1).join(QLatin1Char(' '));
    return arguments.join(QLatin1Char(' '));
}

Launch launch(const QStringList &arguments)
{
    const QString line = trimspaces(commandline(arguments));
    if (line.isEmpty())
        return {};
    const bool editing = !platform::normalfileexists(line) &&
                         line.left(2).compare(QLatin1String("/E"), Qt::CaseInsensitive) == 0;
    return editing ? Launch::edit(trimspaces(line.mid(2))) : Launch::run(line);
}

QString helptext()
{
    return QStringLiteral(
        "Usage: quiz [PATH]\n"
        "       quiz /E PATH | -e PATH | --edit PATH\n"
        "\n"
        "Make and take multiple-choice quizzes.\n"
        "\n"
        "  PATH              run the quiz book PATH at once\n"
        "  /E PATH, -e PATH, --edit PATH\n"
        "                    open the quiz book PATH for editing\n"
        "  -h, --help        show this help and exit\n"
        "  -v, --version     show the version and exit\n"
        "\n"
        "Everything after the program's name is one path: blanks belong to it and quotes\n"
        "are part of the name.\n");
}

QString versiontext()
{
    return QStringLiteral("quiz " QUIZ_VERSION "\n");
}

} // namespace cmdline
