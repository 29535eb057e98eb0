#include "interchange/common.h"

#include "platform/ansi.h"

#include <QHash>

#include <algorithm>
#include <array>

namespace interchange::detail {
namespace {

// What a book stores of text: its characters in Windows-1252 ('?' for any other), at most
// qbook::maxtextbytes of them.
QString storable(const QString &text, bool &changed, bool &cut)
{
    const bool ascii =
        std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
    QString stored = ascii ? text : platform::fromansi(platform::toansi(text));
    if (!ascii && stored != text)
        changed = true;
    if (stored.size() > qbook::maxtextbytes) {
        stored.truncate(qbook::maxtextbytes);
        cut = true;
    }
    return stored;
}

// Names of the characters 0xA0 to 0xFF, in order.
constexpr std::array<const char *, 96> latin1entities = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",
    "copy",   "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn",
    "sup2",   "sup3",   "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",
    "raquo",  "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde",
    "Auml",   "Aring",  "AElig",  "Ccedil", "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave",
    "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde", "Ograve", "Oacute", "Ocirc",  "Otilde",
    "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",  "Uuml",   "Yacute", "THORN",
    "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",  "aelig",  "ccedil",
    "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",   "eth",
    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml",
};

const QHash<QString, char32_t> &entities()
{
    static const QHash<QString, char32_t> table = [] {
        QHash<QString, char32_t> t{
            {"amp", '&'},       {"lt", '<'},        {"gt", '>'},        {"quot", '"'},
            {"apos", '\''},     {"euro", 0x20AC},   {"hellip", 0x2026}, {"mdash", 0x2014},
            {"ndash", 0x2013},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
            {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"bull", 0x2022},
            {"trade", 0x2122},  {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
            {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"OElig", 0x0152},  {"oelig", 0x0153},
            {"Scaron", 0x0160}, {"scaron", 0x0161}, {"Yuml", 0x0178},   {"fnof", 0x0192},
            {"circ", 0x02C6},   {"tilde", 0x02DC},  {"Zcaron", 0x017D}, {"zcaron", 0x017E},
        };
        for (std::size_t i = 0; i < latin1entities.size(); ++i)
            t.insert(QString::fromLatin1(latin1entities[i]), static_cast<char32_t>(0xA0 + i));
        return t;
    }();
    return table;
}

// The character of the entity that starts at html[at] ('&'), and its length; 0 when it is
// not one.
qsizetype decodeentity(QStringView html, qsizetype at, QString &out)
{
    // Entity names are short: looking further would make a text of many '&' slow to read.
    const qsizetype window =
        html.sliced(at + 1).first(std::min<qsizetype>(12, html.size() - at - 1)).indexOf(u';');
    const qsizetype end = window < 0 ? -1 : at + 1 + window;
    if (end < 0 || end == at + 1)
        return 0;
    const QStringView name = html.sliced(at + 1, end - at - 1);
    char32_t c = 0;
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint value = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                               ? name.sliced(2).toUInt(&ok, 16)
                               : name.sliced(1).toUInt(&ok, 10);
        if (!ok)
            return 0;
        const bool valid = value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        c = valid ? value : 0xFFFD;
    } else {
        const auto found = entities().constFind(name.toString());
        if (found == entities().cend())
            return 0;
        c = *found;
    }
    out += QString::fromUcs4(&c, 1);
    return end - at + 1;
}

bool isbreaktag(QStringView name, bool closing)
{
    static const QStringList blocks = {
        QStringLiteral("p"),  QStringLiteral("div"), QStringLiteral("li"),
        QStringLiteral("h1"), QStringLiteral("h2"),  QStringLiteral("h3"),
        QStringLiteral("h4"), QStringLiteral("h5"),  QStringLiteral("h6"),
        QStringLiteral("tr"), QStringLiteral("pre"), QStringLiteral("blockquote"),
        QStringLiteral("ul"), QStringLiteral("ol"),  QStringLiteral("table"),
    };
    if (name == u"br")
        return true;
    return closing && blocks.contains(name);
}

} // namespace

bool BookBuilder::add(int line, const QString &question, const QStringList &answers, int correct)
{
    if (m_full)
        return false;
    if (m_result.questions.size() >= qbook::maxquestions) {
        m_full = true;
        report(line, QStringLiteral("more than 32,766 questions: reading stopped here"));
        return false;
    }
    QuestionRecord record;
    bool changed = false;
    bool cut = false;
    record.question = storable(question, changed, cut);
    for (qsizetype i = 0; i < answers.size() && i < 4; ++i)
        record.answers[i] = storable(answers[i], changed, cut);
    record.correct = static_cast<quint8>(correct);
    if (changed)
        report(line, QStringLiteral("characters outside Windows-1252 stored as \"?\""));
    if (cut)
        report(line, QStringLiteral("text longer than 32,767 bytes cut"));
    m_result.questions.append(record);
    return true;
}

void BookBuilder::setcategory(int line, const QString &name)
{
    if (name.isEmpty() || name == m_result.category)
        return;
    if (m_result.category.isEmpty()) {
        m_result.category = name;
        return;
    }
    report(line, QStringLiteral("another category \"%1\": the book keeps \"%2\"")
                     .arg(name, m_result.category));
}

void BookBuilder::report(int line, const QString &reason)
{
    m_result.problems.append(Problem{line, reason});
}

void BookBuilder::reportonce(int key, int line, const QString &reason)
{
    if (m_reported & static_cast<quint32>(key))
        return;
    m_reported |= static_cast<quint32>(key);
    report(line, reason);
}

QString decodefile(QByteArrayView data, BookBuilder &builder)
{
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    if (data.isValidUtf8())
        return QString::fromUtf8(data);
    builder.reportonce(OnceEncoding, 0, QStringLiteral("not valid UTF-8: read as Windows-1252"));
    return platform::fromansi(data);
}

QString htmltotext(QStringView html)
{
    QString out;
    out.reserve(html.size());
    bool space = false;
    const auto linebreak = [&] {
        while (out.endsWith(u' '))
            out.chop(1);
        out += QStringLiteral("\r\n"); // a book's line break
        space = false;
    };
    const qsizetype n = html.size();
    qsizetype nextclose = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = html[i];
        if (c == u'<') {
            if (html.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = html.indexOf(u"-->", i + 4);
                i = end < 0 ? n : end + 2;
                continue;
            }
            // Once no '>' follows, none follows a later '<' either: searching again for each
            // would make a text of many '<' slow to read.
            if (nextclose >= 0 && nextclose <= i)
                nextclose = html.indexOf(u'>', i + 1);
            const qsizetype end = nextclose;
            const bool tagstart = i + 1 < n && (html[i + 1].isLetter() || html[i + 1] == u'/' ||
                                                html[i + 1] == u'!' || html[i + 1] == u'?');
            if (end >= 0 && tagstart) {
                QStringView tag = html.sliced(i + 1, end - i - 1);
                const bool closing = tag.startsWith(u'/');
                if (closing)
                    tag = tag.sliced(1);
                qsizetype length = 0;
                while (length < tag.size() && tag[length].isLetterOrNumber())
                    ++length;
                const QString name = tag.first(length).toString().toLower();
                i = end;
                if (isbreaktag(name, closing)) {
                    linebreak();
                } else if (!closing && (name == u"script" || name == u"style")) {
                    const qsizetype close =
                        html.indexOf(QStringLiteral("</") + name, i + 1, Qt::CaseInsensitive);
                    const qsizetype closeend = close < 0 ? -1 : html.indexOf(u'>', close);
                    i = closeend < 0 ? n : closeend;
                }
                continue;
            }
        }
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f') {
            space = true;
            continue;
        }
        if (space && !out.isEmpty() && !out.endsWith(u'\n'))
            out += u' ';
        space = false;
        if (c == u'&') {
            const qsizetype length = decodeentity(html, i, out);
            if (length > 0) {
                i += length - 1;
                continue;
            }
        }
        out += c;
    }
    while (out.endsWith(u'\n') || out.endsWith(u'\r') || out.endsWith(u' '))
        out.chop(1);
    qsizetype start = 0;
    while (start < out.size() && (out[start] == u'\r' || out[start] == u'\n'))
        ++start;
    return out.sliced(start);
}

QString categoryname(QStringView path)
{
    QStringList parts(1);
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (path[i] != u'/') {
            parts.last() += path[i];
        } else if (i + 1 < path.size() && path[i + 1] == u'/') {
            parts.last() += u'/';
            ++i;
        } else {
            parts.append(QString());
        }
    }
    const auto placeholder = [&parts](qsizetype i) {
        const QString name = parts[i].trimmed();
        return name.size() >= 2 && name.startsWith(u'$') && name.endsWith(u'$');
    };
    for (qsizetype i = parts.size() - 1; i >= 0; --i) {
        const QString name = parts[i].trimmed();
        const bool top = name == u"top" && i > 0 && placeholder(i - 1);
        if (!name.isEmpty() && !placeholder(i) && !top)
            return name;
    }
    return {};
}

QString categorypart(const QString &category)
{
    QString part = category;
    part.replace(u'/', QStringLiteral("//"));
    return part;
}

bool categoryreadsback(const QString &category)
{
    return categoryname(categorypart(category)) == category;
}

int slotsused(const QuestionRecord &record)
{
    int used = 2;
    for (int i = 0; i < 4; ++i) {
        if (!record.answers[i].isEmpty())
            used = std::max(used, i + 1);
    }
    if (hasrightanswer(record))
        used = std::max(used, static_cast<int>(record.correct));
    return used;
}

int lineat(QStringView text, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, text.size());
    return static_cast<int>(text.first(offset).count(u'\n')) + 1;
}

bool writable(const QuestionRecord &record, int number, ExportResult &result)
{
    if (hasrightanswer(record))
        return true;
    result.problems.append(Problem{number, norightanswer(record.correct)});
    return false;
}

QString norightanswer(int correct)
{
    return QStringLiteral("correct answer %1 is not 1 to 4: left out").arg(correct);
}

} // namespace interchange::detail

namespace interchange::detail {

QStringView nextline(QStringView text, qsizetype &pos)
{
    const qsizetype start = pos;
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r')
        ++end;
    pos = end + 1;
    if (end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n')
        ++pos;
    return text.sliced(start, end - start);
}

} // namespace interchange::detail
