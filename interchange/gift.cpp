// GIFT, the plain-text question format of learning platforms: one question a paragraph,
// "Question text {=right ~wrong ~wrong}", with backslash escapes for its special characters.
#include "interchange/common.h"
#include "storage/soundness.h"

#include <algorithm>
#include <array>
#include <optional>

namespace interchange::detail {
namespace {

enum class TextFormat { Moodle, Html, Markdown, Plain };

// Keys for BookBuilder::reportonce of what only GIFT reports, clear of the shared ones.
constexpr int OnceTildeEquals = 1 << 16;

// Index of the first sequence at or after from that no backslash escapes; -1 when none. The
// first character is searched for, and only there are the backslashes before it counted (an
// odd run escapes it) and the rest compared, so that a scan stays one pass.
qsizetype findplain(QStringView s, QStringView sequence, qsizetype from = 0)
{
    for (qsizetype i = s.indexOf(sequence.front(), from); i >= 0;
         i = s.indexOf(sequence.front(), i + 1)) {
        qsizetype run = i;
        while (run > from && s[run - 1] == u'\\')
            --run;
        if ((i - run) % 2 == 0 && s.sliced(i).startsWith(sequence))
            return i;
    }
    return -1;
}

QString unescape(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        // The text up to the next backslash or line break goes over at once.
        qsizetype plain = i;
        while (plain < s.size() && s[plain] != u'\\' && s[plain] != u'\n')
            ++plain;
        out += s.sliced(i, plain - i);
        i = plain;
        if (i == s.size())
            break;
        if (s[i] == u'\n') {
            out += QStringLiteral("\r\n"); // a book's line break
            continue;
        }
        if (i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const QChar next = s[i + 1];
        if (next == u'n') {
            out += QStringLiteral("\r\n");
            ++i;
        } else if (QStringView(u"~=#{}:\\").contains(next)) {
            out += next;
            ++i;
        } else {
            out += u'\\';
        }
    }
    return out;
}

QString astext(const QString &text, TextFormat format)
{
    return format == TextFormat::Html ? htmltotext(text) : text.trimmed();
}

// The "[html]"-style mark at the start of a text, removed from it; none when there is none.
std::optional<TextFormat> takeformat(QStringView &text)
{
    if (!text.startsWith(u'['))
        return std::nullopt;
    // The longest name is "markdown": looking further would make a text of many '[' slow.
    const qsizetype close = text.first(std::min<qsizetype>(text.size(), 10)).indexOf(u']');
    const QString name = close < 0 ? QString() : text.sliced(1, close - 1).toString().toLower();
    TextFormat format = TextFormat::Moodle;
    if (name == u"html")
        format = TextFormat::Html;
    else if (name == u"markdown")
        format = TextFormat::Markdown;
    else if (name == u"plain")
        format = TextFormat::Plain;
    else if (name != u"moodle")
        return std::nullopt;
    text = text.sliced(close + 1);
    return format;
}

class GiftReader
{
public:
    explicit GiftReader(BookBuilder &builder) : m_builder(builder) {}

    void read(const QString &text)
    {
        QString block;
        int blockline = 0;
        int number = 0;
        qsizetype pos = 0;
        while (pos < text.size() && m_builder.going(pos, text.size())) {
            const QStringView line = nextline(text, pos);
            ++number;
            const QStringView trimmed = line.trimmed();
            if (trimmed.startsWith(u"//"))
                continue;
            if (trimmed.isEmpty()) {
                if (!block.isEmpty())
                    readblock(block, blockline);
                block.clear();
                continue;
            }
            if (block.isEmpty())
                blockline = number;
            else
                block += u'\n';
            block += line;
        }
        if (!block.isEmpty() && !m_builder.ended())
            readblock(block, blockline);
    }

private:
    void skip(int line, const QString &reason)
    {
        m_builder.report(line, reason + QStringLiteral(": skipped"));
    }

    void readblock(const QString &block, int line)
    {
        QStringView rest = QStringView(block).trimmed();
        if (rest.startsWith(u"$CATEGORY:", Qt::CaseInsensitive)) {
            const qsizetype end = rest.indexOf(u'\n');
            m_builder.setcategory(line,
                                  categoryname(rest.first(end < 0 ? rest.size() : end).sliced(10)));
            if (end < 0)
                return;
            rest = rest.sliced(end + 1).trimmed();
            ++line;
        }
        if (rest.startsWith(u"::")) {
            const qsizetype end = findplain(rest, u"::", 2);
            if (end >= 0)
                rest = rest.sliced(end + 2).trimmed();
        }
        const TextFormat format = takeformat(rest).value_or(TextFormat::Moodle);

        const qsizetype open = findplain(rest, u"{");
        if (open < 0)
            return skip(line, QStringLiteral("no answers in braces"));
        const qsizetype close = findplain(rest, u"}", open + 1);
        if (close < 0)
            return skip(line, QStringLiteral("answers in braces not closed"));
        const QStringView after = rest.sliced(close + 1);
        if (findplain(after, u"{") >= 0)
            return skip(line, QStringLiteral("more than one set of answers"));
        // The missing-word form: the blank goes where the answers stood.
        QString question = unescape(rest.first(open));
        if (!after.trimmed().isEmpty())
            question += QStringLiteral("_____") + unescape(after);
        question = astext(question, format);
        readanswers(rest.sliced(open + 1, close - open - 1).trimmed(), question, format, line);
    }

    void readanswers(QStringView inner, const QString &question, TextFormat format, int line)
    {
        // General feedback, "####text", follows the answers; an essay has nothing before it.
        const qsizetype general = findplain(inner, u"####");
        if (general >= 0)
            inner = inner.first(general).trimmed();
        if (inner.isEmpty())
            return skip(line, QStringLiteral("essay question"));
        if (general >= 0)
            feedbackdropped(line);
        if (inner.startsWith(u'#'))
            return skip(line, QStringLiteral("numerical question"));

        const qsizetype feedbackat = findplain(inner, u"#");
        const QStringView truth = inner.first(feedbackat < 0 ? inner.size() : feedbackat).trimmed();
        const auto is = [truth](QStringView word) {
            return truth.compare(word, Qt::CaseInsensitive) == 0;
        };
        if (is(u"t") || is(u"true") || is(u"f") || is(u"false")) {
            if (feedbackat >= 0)
                feedbackdropped(line);
            const int correct = truth.startsWith(u't', Qt::CaseInsensitive) ? 1 : 2;
            m_builder.add(line, question, {QStringLiteral("True"), QStringLiteral("False")},
                          correct);
            return;
        }
        if (findplain(inner, u"~") < 0) {
            if (findplain(inner, u"->") >= 0)
                return skip(line, QStringLiteral("matching question"));
            return skip(line, QStringLiteral("short answer question"));
        }

        // Each answer starts at an unescaped '=' or '~'. "~=" is a right answer written with a
        // stray tilde, common in real banks.
        QList<qsizetype> starts;
        for (qsizetype i = 0; i < inner.size(); ++i) {
            if (inner[i] == u'\\') {
                ++i;
            } else if (inner[i] == u'~' && i + 1 < inner.size() && inner[i + 1] == u'=') {
                m_builder.reportonce(OnceTildeEquals, line,
                                     QStringLiteral("\"~=\" read as \"=\", a right answer"));
                starts.append(i++);
            } else if (inner[i] == u'=' || inner[i] == u'~') {
                starts.append(i);
            }
        }
        if (!inner.first(starts.first()).trimmed().isEmpty())
            return skip(line, QStringLiteral("text before the first answer"));
        if (starts.size() > 4)
            return skip(line, QStringLiteral("more than four choices"));

        QStringList answers;
        int rights = 0;
        int correct = 0;
        bool partial = false;
        bool penalty = false;
        for (qsizetype k = 0; k < starts.size(); ++k) {
            const qsizetype end = k + 1 < starts.size() ? starts[k + 1] : inner.size();
            const bool tildeequals = inner.sliced(starts[k]).startsWith(u"~=");
            const bool equals = tildeequals || inner[starts[k]] == u'=';
            const qsizetype begin = starts[k] + (tildeequals ? 2 : 1);
            QStringView answer = inner.sliced(begin, end - begin);
            std::optional<double> weight = takeweight(answer);
            const qsizetype feedback = findplain(answer, u"#");
            if (feedback >= 0) {
                feedbackdropped(line);
                answer = answer.first(feedback);
            }
            const bool right = equals ? !weight || *weight == 100 : weight && *weight == 100;
            partial |= weight && *weight > 0 && *weight != 100;
            penalty |= weight && *weight < 0;
            if (right) {
                ++rights;
                correct = static_cast<int>(k + 1);
            }
            // An answer in another format than the question's says so, as a question does.
            answer = answer.trimmed();
            const TextFormat own = takeformat(answer).value_or(format);
            answers.append(astext(unescape(answer), own));
        }
        if (partial || rights > 1)
            return skip(line, QStringLiteral("several right answers or partial credit"));
        if (rights == 0)
            return skip(line, QStringLiteral("no right answer"));
        if (penalty)
            m_builder.report(line, QStringLiteral("penalty for wrong answers not kept"));
        m_builder.add(line, question, answers, correct);
    }

    // A "%50%"-style weight at the start of an answer, removed from it.
    static std::optional<double> takeweight(QStringView &answer)
    {
        const QStringView text = answer.trimmed();
        if (!text.startsWith(u'%'))
            return std::nullopt;
        const qsizetype end = text.indexOf(u'%', 1);
        if (end < 0)
            return std::nullopt;
        bool ok = false;
        const double weight = text.sliced(1, end - 1).toDouble(&ok);
        if (!ok)
            return std::nullopt;
        answer = text.sliced(end + 1);
        return weight;
    }

    void feedbackdropped(int line)
    {
        m_builder.reportonce(OnceFeedback, line, QStringLiteral("feedback left out"));
    }

    BookBuilder &m_builder;
};

// Whether an answer starts with what reads as a "%50%"-style weight.
bool looksweighted(const QString &answer)
{
    if (!answer.startsWith(u'%'))
        return false;
    const qsizetype end = answer.indexOf(u'%', 1);
    bool ok = false;
    if (end > 0)
        (void)answer.sliced(1, end - 1).toDouble(&ok);
    return ok;
}

// A text as GIFT writes it: special characters escaped, line breaks as \n, all on one line.
// A book's line break is CR LF, which is what \n reads back as; a lone CR or LF is not.
QString escaped(const QString &text, bool &spaces, bool &returns)
{
    const QString trimmed = text.trimmed();
    spaces |= trimmed.size() != text.size();
    QString out;
    out.reserve(trimmed.size() + 8);
    for (qsizetype i = 0; i < trimmed.size(); ++i) {
        const QChar c = trimmed[i];
        const bool crlf = c == u'\r' && i + 1 < trimmed.size() && trimmed[i + 1] == u'\n';
        if (crlf) {
            out += QStringLiteral("\\n");
            ++i;
        } else if (c == u'\n') {
            out += QStringLiteral("\\n");
            returns = true;
        } else if (c == u'\r') {
            returns = true;
        } else {
            if (QStringView(u"~=#{}:\\").contains(c))
                out += u'\\';
            out += c;
        }
    }
    return out;
}

} // namespace

ImportResult readgift(QByteArray &data, const Progress &progress)
{
    return readtext<GiftReader>(data, progress);
}

ExportResult writegift(const QBookHeader &header, const Questions &questions, Pacer &pacer)
{
    ExportResult result;
    QString out;
    if (!header.category.isEmpty()) {
        QString category = categorypart(header.category);
        category.replace(u'\r', u' ').replace(u'\n', u' ');
        if (!categoryreadsback(header.category) || category != categorypart(header.category))
            result.problems.append(
                Problem{0, QStringLiteral("the category does not read back as it is")});
        out += QStringLiteral("$CATEGORY: ") + category + QStringLiteral("\n\n");
    }
    if (!header.author.isEmpty())
        result.problems.append(
            Problem{0, QStringLiteral("GIFT has no place for the author: left out")});

    for (qsizetype k = 0; k < questions.size(); ++k) {
        const QuestionRecord record = questions.at(k);
        const int number = static_cast<int>(k + 1);
        if (!pacer.at(k, questions.size()))
            return result;
        if (!writable(record, number, result))
            continue;
        // GIFT has no letters: a choice is an answer with text, so empty slots (and answers of
        // spaces alone, which GIFT does not keep) are left out, and a question needs two such
        // answers, the right one among them, to read back as a choice.
        std::array<bool, 4> holds{};
        for (int i = 0; i < 4; ++i)
            holds[i] = !record.answers[i].trimmed().isEmpty();
        const bool toofew = std::count(holds.cbegin(), holds.cend(), true) < 2;
        if (toofew || !holds[record.correct - 1]) {
            const auto why =
                toofew ? qbook::Unsound::TooFewAnswers : qbook::Unsound::RightAnswerEmpty;
            result.problems.append(
                Problem{number, qbook::unsoundreason(why, record.correct) + ": left out"});
            continue;
        }
        bool spaces = false;
        bool returns = false;
        QString question = escaped(record.question, spaces, returns);
        // A leading mark would read as a text format or a comment; an explicit one keeps it text.
        if (question.startsWith(u'[') || question.startsWith(QStringLiteral("//")))
            question.prepend(QStringLiteral("[moodle]"));
        out += question + QStringLiteral(" {");
        bool weighted = false;
        bool gaps = false;
        int filled = 0;
        for (int i = 0; i < 4; ++i) {
            if (!holds[i]) {
                spaces |= !record.answers[i].isEmpty();
                continue;
            }
            gaps |= filled++ < i;
            out += i + 1 == record.correct ? u'=' : u'~';
            QString answer = escaped(record.answers[i], spaces, returns);
            weighted |= looksweighted(answer);
            if (answer.startsWith(u'['))
                answer.prepend(QStringLiteral("[moodle]"));
            out += answer + u' ';
        }
        out += QStringLiteral("}\n\n");
        if (spaces)
            result.problems.append(
                Problem{number, QStringLiteral("spaces at the start or end of a text left out")});
        if (returns)
            result.problems.append(
                Problem{number, QStringLiteral("a line break other than CR LF changed")});
        if (gaps)
            result.problems.append(
                Problem{number, QStringLiteral("empty answer slots left out: the letters change")});
        if (weighted)
            result.problems.append(Problem{number, QStringLiteral("an answer starting with \"%n%\" "
                                                                  "reads back as a weight")});
    }
    result.data = out.toUtf8();
    return result;
}

} // namespace interchange::detail
