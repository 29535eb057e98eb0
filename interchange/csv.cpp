// CSV for spreadsheets (RFC 4180 quoting): a header row naming the columns question,
// answer1..answer4 and correct, then one question a row. Comma, semicolon or tab, whichever
// the header row uses. A text that would start a formula goes out behind an apostrophe.
#include "interchange/common.h"

#include <array>

namespace interchange::detail {
namespace {

struct Record
{
    int line = 0;
    QStringList fields;
    bool unclosed = false;
};

// Splits text into records one at a time; a quoted field may hold delimiters, doubled quotes
// and line breaks.
class CsvScanner
{
public:
    CsvScanner(QStringView text, QChar delimiter) : m_text(text), m_delimiter(delimiter) {}

    [[nodiscard]] bool atend() const { return m_pos >= m_text.size(); }
    [[nodiscard]] qsizetype position() const { return m_pos; }

    Record next()
    {
        Record record;
        record.line = m_line;
        QString field;
        const qsizetype n = m_text.size();
        while (m_pos < n) {
            const QChar c = m_text[m_pos];
            if (c == u'"' && field.isEmpty()) {
                record.unclosed |= !readquoted(field);
                continue;
            }
            ++m_pos;
            if (c == m_delimiter) {
                record.fields.append(field);
                field.clear();
            } else if (c == u'\n' || c == u'\r') {
                if (c == u'\r' && m_pos < n && m_text[m_pos] == u'\n')
                    ++m_pos;
                ++m_line;
                break;
            } else {
                field += c;
            }
        }
        record.fields.append(field);
        return record;
    }

private:
    // Reads a quoted field from its opening quote; false when the file ends inside it. What
    // follows the closing quote up to the next delimiter is kept too.
    bool readquoted(QString &field)
    {
        const qsizetype n = m_text.size();
        ++m_pos;
        while (m_pos < n) {
            const qsizetype quote = m_text.indexOf(u'"', m_pos);
            const qsizetype end = quote < 0 ? n : quote;
            const QStringView part = m_text.sliced(m_pos, end - m_pos);
            m_line += static_cast<int>(part.count(u'\n'));
            field += part;
            m_pos = end;
            if (quote < 0)
                return false;
            if (quote + 1 < n && m_text[quote + 1] == u'"') {
                field += u'"';
                m_pos = quote + 2;
                continue;
            }
            m_pos = quote + 1;
            return true;
        }
        return false;
    }

    QStringView m_text;
    QChar m_delimiter;
    qsizetype m_pos = 0;
    int m_line = 1;
};

constexpr std::array<const char *, 6> columnnames = {"question", "answer1", "answer2",
                                                     "answer3",  "answer4", "correct"};

// Column of each name in the header (-1 when absent).
std::array<int, 6> columnsof(const QStringList &header)
{
    std::array<int, 6> columns{-1, -1, -1, -1, -1, -1};
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString name = header[i].trimmed();
        for (std::size_t k = 0; k < columnnames.size(); ++k) {
            if (columns[k] < 0 &&
                name.compare(QLatin1String(columnnames[k]), Qt::CaseInsensitive) == 0)
                columns[k] = static_cast<int>(i);
        }
    }
    return columns;
}

bool headerfound(const std::array<int, 6> &columns)
{
    return columns[0] >= 0 && columns[1] >= 0 && columns[2] >= 0 && columns[5] >= 0;
}

// 1 to 4 from "1".."4" or "A".."D" in either case; 0 for anything else.
int correctnumber(const QString &field)
{
    const QString text = field.trimmed();
    if (text.size() != 1)
        return 0;
    const char16_t c = text[0].toUpper().unicode();
    if (c >= u'1' && c <= u'4')
        return c - u'0';
    if (c >= u'A' && c <= u'D')
        return c - u'A' + 1;
    return 0;
}

bool blank(const QStringList &fields)
{
    for (const QString &field : fields) {
        if (!field.trimmed().isEmpty())
            return false;
    }
    return true;
}

// A spreadsheet takes a cell that starts with one of these for a formula.
bool startsformula(QStringView text)
{
    return !text.isEmpty() && QStringView(u"=+-@").contains(text.front());
}

// A text that a spreadsheet would take for a formula, or that reads as such a text guarded,
// is written with one more apostrophe before it, which spreadsheets show as text.
bool needsguard(const QString &text)
{
    qsizetype apostrophes = 0;
    while (apostrophes < text.size() && text[apostrophes] == u'\'')
        ++apostrophes;
    return startsformula(QStringView(text).sliced(apostrophes));
}

// A field as the book holds it: the guard needsguard asked for taken off.
QString unguarded(const QString &field)
{
    return field.startsWith(u'\'') && needsguard(field) ? field.sliced(1) : field;
}

QString quoted(const QString &text)
{
    const QString field = needsguard(text) ? u'\'' + text : text;
    const bool plain = !field.contains(u',') && !field.contains(u'"') && !field.contains(u'\n') &&
                       !field.contains(u'\r') && !field.contains(u';') && !field.contains(u'\t') &&
                       field.trimmed().size() == field.size();
    if (plain)
        return field;
    QString out = field;
    out.replace(u'"', QStringLiteral("\"\""));
    return u'"' + out + u'"';
}

} // namespace

ImportResult readcsv(QByteArray &data, const Progress &progress)
{
    ImportResult result;
    BookBuilder builder(result, progress);
    const QString text = decodefile(data, builder);
    data = QByteArray();

    // The delimiter is the one that makes the first row a header.
    QChar delimiter;
    std::array<int, 6> columns{};
    QStringList header;
    for (const QChar candidate : {QChar(u','), QChar(u';'), QChar(u'\t')}) {
        CsvScanner scanner(text, candidate);
        header = scanner.next().fields;
        columns = columnsof(header);
        if (headerfound(columns)) {
            delimiter = candidate;
            break;
        }
    }
    if (delimiter.isNull()) {
        builder.report(1, QStringLiteral("no header row \"question,answer1,answer2,answer3,answer4,"
                                         "correct\": nothing read"));
        return result;
    }
    for (qsizetype i = 0; i < header.size(); ++i) {
        if (!std::count(columns.cbegin(), columns.cend(), static_cast<int>(i)) &&
            !header[i].trimmed().isEmpty()) {
            builder.report(1, QStringLiteral("column \"%1\" left out").arg(header[i].trimmed()));
        }
    }

    CsvScanner scanner(text, delimiter);
    (void)scanner.next();
    while (!scanner.atend() && builder.going(scanner.position(), text.size())) {
        const Record record = scanner.next();
        if (record.unclosed)
            builder.report(record.line,
                           QStringLiteral("quote not closed before the end of the file"));
        if (blank(record.fields))
            continue;
        const auto field = [&record](int column) {
            return column >= 0 && column < record.fields.size() ? unguarded(record.fields[column])
                                                                : QString();
        };
        const int correct = correctnumber(field(columns[5]));
        if (correct == 0) {
            builder.report(record.line,
                           QStringLiteral("correct answer \"%1\" is not 1 to 4 or A to D: "
                                          "skipped")
                               .arg(field(columns[5]).trimmed()));
            continue;
        }
        if (record.fields.size() > header.size()) {
            const QStringList extra = record.fields.sliced(header.size());
            if (!blank(extra))
                builder.report(record.line,
                               QStringLiteral("more fields than columns: the rest left out"));
        }
        QStringList answers;
        for (int k = 1; k <= 4; ++k)
            answers.append(field(columns[k]));
        builder.add(record.line, field(columns[0]), answers, correct);
    }
    return result;
}

ExportResult writecsv(const QBookHeader &header, const Questions &questions, Pacer &pacer)
{
    ExportResult result;
    if (!header.category.isEmpty() || !header.author.isEmpty())
        result.problems.append(Problem{0, QStringLiteral("CSV has no place for the category and "
                                                         "author: left out")});
    QString out = QStringLiteral("question,answer1,answer2,answer3,answer4,correct\r\n");
    for (qsizetype k = 0; k < questions.size(); ++k) {
        const QuestionRecord record = questions.at(k);
        if (!pacer.at(k, questions.size()))
            return result;
        if (!writable(record, static_cast<int>(k + 1), result))
            continue;
        out += quoted(record.question);
        for (const QString &answer : record.answers)
            out += u',' + quoted(answer);
        out += u',' + QString::number(record.correct) + QStringLiteral("\r\n");
    }
    result.data = "\xEF\xBB\xBF" + out.toUtf8();
    return result;
}

} // namespace interchange::detail
