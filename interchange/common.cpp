#include "interchange/common.h"

#include "platform/ansi.h"
#include "storage/soundness.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cstring>

namespace interchange::detail {
namespace {

// A character no book should hold: C0 controls other than tab and the line breaks, and DEL.
bool iscontrol(QChar c)
{
    const char16_t u = c.unicode();
    return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7F;
}

struct Entity
{
    const char *name;
    char32_t first;
    char32_t second; // 0 for an entity of one character
};

constexpr Entity entitytable[] = {
#include "interchange/htmlentities.inc"
};

// The entity named name, or nullptr.
const Entity *findentity(QStringView name)
{
    const QByteArray key = name.toLatin1();
    const auto found = std::lower_bound(
        std::cbegin(entitytable), std::cend(entitytable), key,
        [](const Entity &entity, const QByteArray &k) { return std::strcmp(entity.name, k) < 0; });
    if (found == std::cend(entitytable) || key != found->name)
        return nullptr;
    return found;
}

// The character of the entity that starts at html[at] ('&'), and its length; 0 when it is
// not one.
qsizetype decodeentity(QStringView html, qsizetype at, QString &out)
{
    // The longest entity name has 31 characters: looking further would make a text of many
    // '&' slow to read.
    const qsizetype window =
        html.sliced(at + 1).first(std::min<qsizetype>(33, html.size() - at - 1)).indexOf(u';');
    const qsizetype end = window < 0 ? -1 : at + 1 + window;
    if (end < 0 || end == at + 1)
        return 0;
    const QStringView name = html.sliced(at + 1, end - at - 1);
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint value = name.size() > 1 && (name[1] == u'x' || name[1] == u'X')
                               ? name.sliced(2).toUInt(&ok, 16)
                               : name.sliced(1).toUInt(&ok, 10);
        if (!ok)
            return 0;
        const bool valid = value != 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
        // Browsers read the references 128 to 159 as the Windows-1252 characters of those bytes.
        if (value >= 0x80 && value <= 0x9F)
            out += platform::fromansi(QByteArray(1, static_cast<char>(value)));
        else
            out += QString::fromUcs4(std::array<char32_t, 1>{valid ? value : 0xFFFD}.data(), 1);
        return end - at + 1;
    }
    const Entity *entity = findentity(name);
    if (!entity)
        return 0;
    out += QString::fromUcs4(&entity->first, 1);
    if (entity->second != 0)
        out += QString::fromUcs4(&entity->second, 1);
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

// What a book stores of text: its characters in Windows-1252 ('?' for any other, each noted in
// lost), no control characters, at most qbook::maxtextbytes of them.
QString storable(const QString &text, QString &lost, bool &control, bool &cut)
{
    QString stored = text;
    if (std::any_of(text.cbegin(), text.cend(), iscontrol)) {
        control = true;
        stored.removeIf(iscontrol);
    }
    const bool ascii =
        std::all_of(stored.cbegin(), stored.cend(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        QString held = platform::fromansi(platform::toansi(stored));
        // Both go a character at a time: Windows-1252 has one byte a character.
        const QList<uint> before = held == stored ? QList<uint>() : stored.toUcs4();
        for (qsizetype i = 0; i < before.size() && i < held.size(); ++i) {
            const QString c = QString::fromUcs4(reinterpret_cast<const char32_t *>(&before[i]), 1);
            if (held[i] != c && !lost.contains(c))
                lost += c;
        }
        stored = std::move(held);
    }
    if (stored.size() > qbook::maxtextbytes) {
        stored.truncate(qbook::maxtextbytes);
        cut = true;
    }
    return stored;
}

bool BookBuilder::add(int line, const QString &question, const QStringList &answers, int correct,
                      const QString &where)
{
    if (m_full)
        return false;
    if (m_result.questions.size() >= qbook::maxquestions) {
        m_full = true;
        report(line, QStringLiteral("more than 32,766 questions: reading stopped here"));
        return false;
    }
    QuestionRecord record;
    QString lost;
    bool control = false;
    bool cut = false;
    record.question = storable(question, lost, control, cut);
    for (qsizetype i = 0; i < answers.size() && i < 4; ++i)
        record.answers[i] = storable(answers[i], lost, control, cut);
    record.correct = static_cast<quint8>(correct);
    if (control)
        report(line, QStringLiteral("control characters left out"));
    if (!lost.isEmpty())
        report(line, outsidecodepage(lost));
    if (cut)
        report(line, QStringLiteral("text longer than 32,767 bytes cut"));
    // A right answer outside 1 to 4 is each reader's own matter; the rest of the rule is kept
    // here, so that no run offers an empty answer as the right one.
    const qbook::Unsound why = qbook::answersoundness(record);
    if (why == qbook::Unsound::TooFewAnswers || why == qbook::Unsound::RightAnswerEmpty) {
        report(line, where + qbook::unsoundreason(why, correct) + QStringLiteral(": skipped"));
        return true;
    }
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
    // A byte-order mark says the encoding; without one the text is UTF-8 or Windows-1252.
    const auto marked = QStringConverter::encodingForData(data);
    if (marked && *marked != QStringConverter::Utf8) {
        QStringDecoder decoder(*marked);
        QString text = decoder.decode(data);
        if (decoder.hasError())
            builder.reportonce(OnceEncoding, 0,
                               QStringLiteral("broken %1 characters read as \"?\"")
                                   .arg(QLatin1String(QStringConverter::nameForEncoding(*marked))));
        return text;
    }
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    if (data.isValidUtf8())
        return QString::fromUtf8(data);
    builder.reportonce(OnceEncoding, 0, QStringLiteral("not valid UTF-8: read as Windows-1252"));
    return platform::fromansi(data);
}

QString outsidecodepage(const QString &characters)
{
    QStringList named;
    for (const char32_t c : characters.toUcs4())
        named.append(
            QStringLiteral("%1 (U+%2)")
                .arg(QString::fromUcs4(&c, 1),
                     QString::number(static_cast<uint>(c), 16).toUpper().rightJustified(4, u'0')));
    return QStringLiteral("characters outside Windows-1252 stored as \"?\": ") +
           named.join(QStringLiteral(", "));
}

void reportlost(BookBuilder &builder, int line, int lost)
{
    if (lost & LostImage)
        builder.report(line, QStringLiteral("image left out"));
    if (lost & LostSound)
        builder.report(line, QStringLiteral("sound or video left out"));
}

QString htmltotext(QStringView html, int *lost)
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
    int pre = 0; // depth of <pre>, whose white space and line breaks stay as written
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = html[i];
        if (pre > 0 && (c == u'\n' || c == u'\r')) {
            if (c == u'\r' && i + 1 < n && html[i + 1] == u'\n')
                ++i;
            out += QStringLiteral("\r\n");
            continue;
        }
        if (pre > 0 && (c == u' ' || c == u'\t')) {
            out += c;
            continue;
        }
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
                const bool media = name == u"audio" || name == u"video";
                if (lost && !closing && (name == u"img" || media))
                    *lost |= media ? LostSound : LostImage;
                if (name == u"pre") {
                    pre = std::max(0, pre + (closing ? -1 : 1));
                    if (!closing && !out.isEmpty() && !out.endsWith(u'\n'))
                        linebreak();
                    // As in a browser, a line break right after <pre> is not shown.
                    if (!closing && i + 1 < n && html[i + 1] == u'\n')
                        ++i;
                }
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
    // An empty text is left to each writer, which knows whether its format can hold one.
    const qbook::Unsound why = qbook::answersoundness(record);
    if (why == qbook::Unsound::None)
        return true;
    result.problems.append(Problem{number, why == qbook::Unsound::NoRightAnswer
                                               ? norightanswer(record.correct)
                                               : qbook::unsoundreason(why, record.correct) +
                                                     QStringLiteral(": left out")});
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
