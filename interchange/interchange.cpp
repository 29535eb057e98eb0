#include "interchange/interchange.h"

#include "interchange/common.h"
#include "storage/modquiz.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace interchange {
namespace {

// The header texts read from a file, as a book can store them.
void fitheader(ImportResult &result)
{
    result.category = fittext(result.category, QStringLiteral("category"), result.problems);
    result.author = fittext(result.author, QStringLiteral("author"), result.problems);
}

// What each format is called, the extension its files get and its file dialog filter.
struct FormatText
{
    Format format;
    const char *name;
    const char *extension;
    const char *filter;
};

constexpr FormatText formattexts[] = {
    {Format::Gift, "GIFT", "gift", "GIFT files (*.gift)"},
    {Format::Aiken, "Aiken", "txt", "Aiken files (*.txt *.aiken)"},
    {Format::MoodleXml, "Moodle XML", "xml", "Moodle XML files (*.xml)"},
    {Format::Csv, "CSV", "csv", "CSV files (*.csv)"},
    {Format::Json, "JSON", "json", "JSON files (*.json)"},
};

QString formattext(Format format, const char *FormatText::*field)
{
    for (const FormatText &row : formattexts) {
        if (row.format == format)
            return QString::fromLatin1(row.*field);
    }
    return {};
}

} // namespace

std::optional<Format> formatfromname(const QString &name)
{
    const QString word = name.trimmed().toLower();
    if (word == u"gift")
        return Format::Gift;
    if (word == u"aiken")
        return Format::Aiken;
    if (word == u"xml" || word == u"moodle")
        return Format::MoodleXml;
    if (word == u"csv")
        return Format::Csv;
    if (word == u"json")
        return Format::Json;
    return std::nullopt;
}

std::optional<Format> formatfrompath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"gift")
        return Format::Gift;
    if (suffix == u"aiken" || suffix == u"txt")
        return Format::Aiken;
    if (suffix == u"xml")
        return Format::MoodleXml;
    if (suffix == u"csv")
        return Format::Csv;
    if (suffix == u"json")
        return Format::Json;
    return std::nullopt;
}

bool formatbycontent(const QString &path)
{
    return QFileInfo(path).suffix().compare(u"txt", Qt::CaseInsensitive) == 0;
}

Format textformat(QByteArrayView data)
{
    QStringDecoder decoder(
        QStringConverter::encodingForData(data).value_or(QStringConverter::Utf8));
    const QString text = decoder.decode(data);
    qsizetype gift = 0;
    qsizetype aiken = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const QStringView line = detail::nextline(text, pos).trimmed();
        if (line.startsWith(u"ANSWER:", Qt::CaseInsensitive))
            ++aiken;
        else if (line.startsWith(u"::") || line.startsWith(u"$CATEGORY:", Qt::CaseInsensitive))
            ++gift;
        else if (line.contains(u'{') && !line.startsWith(u"//"))
            ++gift;
    }
    return gift > aiken ? Format::Gift : Format::Aiken;
}

QString formatname(Format format)
{
    return formattext(format, &FormatText::name);
}

QString formatextension(Format format)
{
    return formattext(format, &FormatText::extension);
}

QString formatfilter(Format format)
{
    return formattext(format, &FormatText::filter);
}

QString fittext(const QString &text, const QString &what, QList<Problem> &problems)
{
    QString lost;
    bool control = false;
    bool cut = false;
    const QString stored = detail::storable(text, lost, control, cut);
    const auto add = [&](const QString &reason) {
        problems.append(Problem{0, what + QStringLiteral(": ") + reason});
    };
    if (control)
        add(QStringLiteral("control characters left out"));
    if (!lost.isEmpty())
        add(detail::outsidecodepage(lost));
    if (cut)
        add(QStringLiteral("text longer than 32,767 bytes cut"));
    return stored;
}

std::optional<QByteArray> bookbytes(const ImportResult &imported)
{
    QBookHeader header;
    header.category = imported.category;
    header.author = imported.author;
    header.magic = QLatin1String(qbook::magicmark);
    return modquiz::serializebook(header, imported.questions, 0);
}

ImportResult importbook(QByteArray data, Format format, const Progress &progress)
{
    ImportResult result;
    switch (format) {
    case Format::Gift:
        result = detail::readgift(data, progress);
        break;
    case Format::Aiken:
        result = detail::readaiken(data, progress);
        break;
    case Format::MoodleXml:
        result = detail::readmoodlexml(data, progress);
        break;
    case Format::Csv:
        result = detail::readcsv(data, progress);
        break;
    case Format::Json:
        result = detail::readjson(data, progress);
        break;
    }
    if (result.stopped)
        return ImportResult{{}, {}, {}, {}, true};
    fitheader(result);
    return result;
}

ExportResult exportbook(const QBookHeader &header, const QuestionList &questions, Format format,
                        const Progress &progress)
{
    detail::Pacer pacer(progress);
    ExportResult result;
    switch (format) {
    case Format::Gift:
        result = detail::writegift(header, questions, pacer);
        break;
    case Format::Aiken:
        result = detail::writeaiken(header, questions, pacer);
        break;
    case Format::MoodleXml:
        result = detail::writemoodlexml(header, questions, pacer);
        break;
    case Format::Csv:
        result = detail::writecsv(header, questions, pacer);
        break;
    case Format::Json:
        result = detail::writejson(header, questions, pacer);
        break;
    }
    if (pacer.stopped())
        return ExportResult{{}, {}, true};
    return result;
}

QString counted(qsizetype n, const QString &singular, const QString &plural)
{
    return QString::number(n) + QLatin1Char(' ') + (n == 1 ? singular : plural);
}

QString nquestions(qsizetype n)
{
    return counted(n, QStringLiteral("question"), QStringLiteral("questions"));
}

} // namespace interchange
