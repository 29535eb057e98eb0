#include "ui/main/booktransfer.h"

#include "interchange/interchange.h"
#include "platform/filedialog.h"
#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/progress.h"
#include "storage/modquiz.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {

using interchange::counted;
using interchange::Format;
using interchange::nquestions;

using interchange::allformats;
constexpr qsizetype reportedlines = 20;

const QString allfiles = QStringLiteral("All files (*)");
const QString overwriteprompt = QStringLiteral("File already exists! Overwrite?");

QStringList formatfilters()
{
    QStringList filters;
    for (const Format format : allformats)
        filters.append(interchange::formatfilter(format));
    return filters;
}

// One filter that shows the files of every format, whose format then follows the extension.
QString anyformatfilter()
{
    QStringList patterns;
    for (const Format format : allformats) {
        const QString filter = interchange::formatfilter(format);
        const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
        patterns.append(filter.mid(open + 1, filter.size() - open - 2));
    }
    return QStringLiteral("Question files (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

// The chosen format's filter decides for a name without an extension and for the extensions it
// lists; a name the user ended in another format's extension, or chosen under a filter that
// names no format, goes by that extension.
std::optional<Format> chosenformat(const platform::FileChoice &choice)
{
    std::optional<Format> byfilter;
    for (const Format format : allformats) {
        if (choice.filter == interchange::formatfilter(format))
            byfilter = format;
    }
    const QString suffix = QFileInfo(choice.path).suffix();
    const bool filterlistssuffix =
        !suffix.isEmpty() &&
        choice.filter.contains(QStringLiteral("*.") + suffix, Qt::CaseInsensitive);
    if (byfilter && (suffix.isEmpty() || filterlistssuffix))
        return byfilter;
    if (const auto byname = interchange::formatfrompath(choice.path))
        return byname;
    return byfilter;
}

// A name typed without an extension gets the one of the chosen format.
QString withsuffix(const QString &path, const QString &suffix)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

// A quiz book's name ends in ".Q"; the file lists match it in any letter case.
QString bookname(const QString &path)
{
    if (path.endsWith(QLatin1String(".Q"), Qt::CaseInsensitive))
        return path;
    return path + QStringLiteral(".Q");
}

// Asks before an existing file is replaced; true when the name may be written.
bool maywrite(const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    return platform::msgbox(overwriteprompt, platform::Buttons::OkCancel,
                            QStringLiteral("Overwrite?")) == platform::Answer::Ok;
}

// Through the same atomic replacement as Save: an old file stays whole unless every byte of
// the new one was written.
bool writefile(const QString &path, const QByteArray &bytes)
{
    if (platform::replacefile(path, bytes) == platform::ReplaceResult::Ok)
        return true;
    platform::msgbox(QStringLiteral("Error saving file"), platform::Buttons::Ok,
                     QStringLiteral("Error"));
    return false;
}

std::optional<QByteArray> readfile(const QString &path)
{
    std::optional<QByteArray> bytes = platform::readfile(path, interchange::maxfilebytes);
    if (!bytes)
        platform::msgbox(QStringLiteral("Error reading file"), platform::Buttons::Ok,
                         QStringLiteral("Error"));
    return bytes;
}

QString nitemswere(qsizetype n)
{
    return counted(n, QStringLiteral("item was"), QStringLiteral("items were"));
}

// The first lines of the report and how many more there are; a message box cannot scroll.
// place names what Problem::line counts: "line" in a source file, "question" in a book.
QString problemlist(const QList<interchange::Problem> &problems, const QString &place)
{
    QStringList lines;
    for (qsizetype i = 0; i < problems.size() && i < reportedlines; ++i) {
        const interchange::Problem &problem = problems[i];
        lines.append(problem.line == 0 ? problem.reason
                                       : place + QLatin1Char(' ') + QString::number(problem.line) +
                                             QStringLiteral(": ") + problem.reason);
    }
    if (problems.size() > reportedlines)
        lines.append(QStringLiteral("... and %1 more").arg(problems.size() - reportedlines));
    return lines.join(QLatin1Char('\n'));
}

} // namespace

BookTransfer::BookTransfer(QWidget *window) : m_window(window)
{}

bool BookTransfer::convert(const QString &label,
                           const std::function<void(const interchange::Progress &)> &work)
{
    return platform::runwithprogress(m_window, label, [&work](platform::Work &progress) {
        work([&progress](qint64 done, qint64 total) {
            return progress.report(static_cast<int>(done), static_cast<int>(total));
        });
    });
}

bool BookTransfer::importbook(const std::function<bool(const QString &)> &open)

{
    const QString title = QStringLiteral("Import");
    const platform::FileChoice source = platform::askfile(
        {platform::FileMode::Open, title, QString(),
         QStringList{anyformatfilter()} << formatfilters() << allfiles, QString()});
    if (source.path.isEmpty()) {
        return false;
    }
    QString sourcename = QFileInfo(source.path).fileName();
    std::optional<Format> format = chosenformat(source);
    if (!format) {
        platform::msgbox(QStringLiteral("Cannot tell the format of ") + sourcename +
                             QStringLiteral("\nChoose its type in the list of file types."),
                         platform::Buttons::Ok, title);
        return false;
    }
    std::optional<QByteArray> bytes = readfile(source.path);
    if (!bytes) {
        return false;
    }
    // A .txt file chosen under a filter that names no format is GIFT or Aiken by its content.
    const bool filterdecides = formatfilters().contains(source.filter);
    if (!filterdecides && interchange::formatbycontent(source.path)) {
        format = interchange::textformat(*bytes);
        sourcename += QStringLiteral(" (read as ") + interchange::formatname(*format) + u')';
    }
    // Moved in, so that the file's bytes are let go once decoded.
    interchange::ImportResult imported;
    const bool finished =
        convert(QStringLiteral("Importing ") + QFileInfo(source.path).fileName(),
                [&](const interchange::Progress &progress) {
                    imported = interchange::importbook(std::move(*bytes), *format, progress);
                });
    if (!finished) {
        return false;
    }
    const QString problems = problemlist(imported.problems, QStringLiteral("line"));
    if (imported.questions.isEmpty()) {
        platform::msgbox(QStringLiteral("No questions could be imported from ") + sourcename +
                             (problems.isEmpty() ? QString() : QStringLiteral("\n\n") + problems),
                         platform::Buttons::Ok, title);
        return false;
    }

    const QFileInfo sourceinfo(source.path);
    const QString proposed =
        sourceinfo.absoluteDir().filePath(sourceinfo.completeBaseName() + QStringLiteral(".Q"));
    const QString bookfilter = QStringLiteral("Quiz books (*.Q)");
    const platform::FileChoice target = platform::askfile({platform::FileMode::Save,
                                                           QStringLiteral("Save Quiz Book"),
                                                           proposed,
                                                           {bookfilter},
                                                           bookfilter});
    const QString path = target.path.isEmpty() ? QString() : bookname(target.path);
    if (path.isEmpty() || !maywrite(path)) {
        return false;
    }

    const std::optional<QByteArray> book = interchange::bookbytes(imported);
    if (!book || !writefile(path, *book) || !open(path))
        return false;

    if (!imported.problems.isEmpty())
        platform::msgbox(QStringLiteral("Imported %1 from %2.\n\n%3 skipped or changed:\n")
                                 .arg(nquestions(imported.questions.size()), sourcename,
                                      nitemswere(imported.problems.size())) +
                             problems,
                         platform::Buttons::Ok, title);
    return true;
}

void BookTransfer::exportbook()
{
    const auto &state = modquiz::state();
    const QString title = QStringLiteral("Export");
    const QFileInfo book(state.qbpath);
    const platform::FileChoice target = platform::askfile(
        {platform::FileMode::Save, title, book.absoluteDir().filePath(book.completeBaseName()),
         formatfilters(), QString()});
    if (target.path.isEmpty())
        return;
    const std::optional<Format> format = chosenformat(target);
    if (!format) {
        platform::msgbox(QStringLiteral("Choose a file type in the list of file types."),
                         platform::Buttons::Ok, title);
        return;
    }
    const QString path = withsuffix(target.path, interchange::formatextension(*format));
    // Replacing the book being edited by its export would lose the book.
    if (QFileInfo(path) == book) {
        platform::msgbox(QStringLiteral("Cannot export over the open quiz book"),
                         platform::Buttons::Ok, title);
        return;
    }
    if (!maywrite(path))
        return;

    // The book's records as they are held, without the unused slot 0: the worker decodes one
    // question at a time.
    QuestionList questions = state.questions;
    if (!questions.isEmpty())
        questions.removeAt(0);
    const QBookHeader header = state.qbheader;
    interchange::ExportResult exported;
    const bool finished =
        convert(QStringLiteral("Exporting to ") + QFileInfo(path).fileName(),
                [&](const interchange::Progress &progress) {
                    exported = interchange::exportbook(header, questions, *format, progress);
                });
    if (!finished || !writefile(path, exported.data))
        return;
    if (!exported.problems.isEmpty())
        platform::msgbox(QStringLiteral("Exported %1 to %2.\n\n%3 changed or left out:\n")
                                 .arg(nquestions(questions.size()), QFileInfo(path).fileName(),
                                      nitemswere(exported.problems.size())) +
                             problemlist(exported.problems, QStringLiteral("question")),
                         platform::Buttons::Ok, title);
}
