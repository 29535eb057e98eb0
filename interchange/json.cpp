// JSON: {"category": "...", "author": "...", "questions": [{"question": "...",
// "answers": ["...", "...", "...", "..."], "correct": 3}]}. The one format that carries a book
// exactly: all four slots, and a correct number outside 1 to 4.
#include "interchange/common.h"

#include "platform/ansi.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <utility>

namespace interchange::detail {
namespace {

// Reads one element of "questions"; number counts from 1.
void readquestion(const QJsonValue &value, int number, BookBuilder &builder)
{
    const auto skip = [&](const QString &reason) {
        builder.report(0, QStringLiteral("question %1: %2: skipped").arg(number).arg(reason));
    };
    if (!value.isObject())
        return skip(QStringLiteral("not an object"));
    const QJsonObject object = value.toObject();
    const QJsonValue question = object.value(QLatin1String("question"));
    if (!question.isString())
        return skip(QStringLiteral("\"question\" is not a text"));
    const QJsonValue answers = object.value(QLatin1String("answers"));
    if (!answers.isArray())
        return skip(QStringLiteral("\"answers\" is not a list"));
    const QJsonArray list = answers.toArray();
    if (list.size() > 4)
        return skip(QStringLiteral("more than four choices"));
    if (list.size() < 2)
        return skip(QStringLiteral("fewer than two choices"));
    QStringList texts;
    for (const QJsonValue &answer : list) {
        if (!answer.isString())
            return skip(QStringLiteral("an answer is not a text"));
        texts.append(answer.toString());
    }
    const QJsonValue correct = object.value(QLatin1String("correct"));
    const double given = correct.toDouble(-1);
    // Range first: converting a number beyond int is undefined.
    const bool inrange = given >= 0 && given <= 255;
    if (!correct.isDouble() || !inrange || given != std::floor(given))
        return skip(QStringLiteral("\"correct\" is not a whole number from 0 to 255"));
    const int right = static_cast<int>(given);
    if (right > list.size() && right <= 4)
        return skip(QStringLiteral("correct answer %1 names no choice").arg(right));
    // One with fewer than two answers is skipped when added, which says so instead.
    const bool enoughanswers = texts.size() - texts.count(QString()) >= 2;
    if ((right < 1 || right > 4) && enoughanswers) {
        builder.report(0, QStringLiteral("question %1: correct answer %2 is not 1 to 4: kept "
                                         "as it is")
                              .arg(number)
                              .arg(right));
    }
    builder.add(0, question.toString(), texts, right, QStringLiteral("question %1: ").arg(number));
}

// The category and author of the root object; false, having said so, when it holds no
// "questions" list.
bool readheader(const QJsonObject &root, BookBuilder &builder, ImportResult &result)
{
    const auto headertext = [&](const char *key, QString &into) {
        const QJsonValue value = root.value(QLatin1String(key));
        if (value.isString())
            into = value.toString();
        else if (!value.isUndefined() && !value.isNull())
            builder.report(
                0, QStringLiteral("\"%1\" is not a text: left out").arg(QLatin1String(key)));
    };
    headertext("category", result.category);
    headertext("author", result.author);
    if (root.value(QLatin1String("questions")).isArray())
        return true;
    builder.report(0, QStringLiteral("no \"questions\" list: nothing read"));
    return false;
}

struct Span
{
    qsizetype start;
    qsizetype end;
};

// Where the elements of the root object's one "questions" list lie in a JSON text, and the list's
// brackets (first and last spans), found by following its strings and brackets; nothing when
// the text has another shape, which a parse of the whole text then deals with.
std::optional<QList<Span>> questionspans(QByteArrayView text)
{
    QList<Span> spans{{-1, -1}};
    int depth = 0;
    int lists = 0;
    int key = 0; // 1 after the key "questions" in the root object, 2 after its colon
    bool inlist = false;
    qsizetype element = -1;
    const auto endelement = [&](qsizetype at) {
        if (element >= 0)
            spans.append({element, at});
        const bool blank = element < 0;
        element = -1;
        return !blank;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
            continue;
        if (depth == 0 && (c != '{' || lists > 0))
            return std::nullopt;
        const bool listlevel = inlist && depth == 2;
        if (listlevel && element < 0 && c != ',' && c != ']')
            element = i;
        if (c == '"') {
            const qsizetype from = i + 1;
            while (++i < text.size() && text[i] != '"')
                i += text[i] == '\\';
            if (i >= text.size())
                return std::nullopt;
            key = depth == 1 && text.sliced(from, i - from) == "questions" ? 1 : 0;
            continue;
        }
        if (c == ':' && key == 1) {
            key = 2;
            continue;
        }
        if (c == '[' && key == 2 && depth == 1) {
            inlist = ++lists == 1;
            spans.first().start = i;
        } else if (listlevel && c == ',' && !endelement(i)) {
            return std::nullopt;
        } else if (listlevel && c == ']') {
            if (!endelement(i) && spans.size() > 1)
                return std::nullopt;
            spans.append({i, i});
            inlist = false;
        }
        key = 0;
        // Nesting past the parser's limit must fail as the whole text does.
        depth += c == '{' || c == '[' ? 1 : c == '}' || c == ']' ? -1 : 0;
        if (depth < 0 || depth > 1000)
            return std::nullopt;
    }
    if (depth != 0 || lists != 1 || inlist)
        return std::nullopt;
    return spans;
}

// A file parsed as a whole, its bytes let go once parsed.
void readwhole(QByteArray &utf8, QByteArray &bytes, BookBuilder &builder, ImportResult &result)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &error);
    if (error.error != QJsonParseError::NoError) {
        // The offset counts bytes of UTF-8.
        const int line =
            static_cast<int>(QByteArrayView(utf8)
                                 .first(std::clamp<qsizetype>(error.offset, 0, utf8.size()))
                                 .count('\n')) +
            1;
        builder.report(line,
                       QStringLiteral("not JSON (%1): nothing read").arg(error.errorString()));
        return;
    }
    utf8 = QByteArray();
    bytes = QByteArray();
    if (!document.isObject()) {
        builder.report(1, QStringLiteral("not a JSON object with \"questions\": nothing read"));
        return;
    }
    if (!readheader(document.object(), builder, result))
        return;
    const QJsonArray list = document.object().value(QLatin1String("questions")).toArray();
    for (qsizetype i = 0; i < list.size() && builder.going(i, list.size()); ++i)
        readquestion(list.at(i), static_cast<int>(i + 1), builder);
}

// A file read a question at a time, so that a big one is never held as a whole document too:
// false when its shape is not the usual one or a part is not JSON, having read nothing of use.
bool readbyquestion(QByteArrayView text, BookBuilder &builder, ImportResult &result)
{
    const std::optional<QList<Span>> spans = questionspans(text);
    if (!spans)
        return false;
    const auto parse = [](QByteArrayView before, QByteArrayView middle, QByteArrayView after) {
        QByteArray part;
        part.reserve(before.size() + middle.size() + after.size());
        part.append(before).append(middle).append(after);
        QJsonParseError error{};
        QJsonDocument document = QJsonDocument::fromJson(part, &error);
        return error.error == QJsonParseError::NoError ? document : QJsonDocument();
    };
    // The root without the list's elements.
    const qsizetype open = spans->first().start;
    const qsizetype close = spans->last().start;
    const QJsonDocument root = parse(text.first(open + 1), {}, text.sliced(close));
    if (!root.isObject())
        return false;
    if (!readheader(root.object(), builder, result))
        return true;
    const qsizetype count = spans->size() - 2;
    for (qsizetype i = 0; i < count && builder.going(i, count); ++i) {
        const Span span = spans->at(i + 1);
        const QJsonDocument element =
            parse("[", text.sliced(span.start, span.end - span.start), "]");
        if (!element.isArray())
            return false;
        readquestion(element.array().at(0), static_cast<int>(i + 1), builder);
    }
    return true;
}

} // namespace

ImportResult readjson(QByteArray &data, const Progress &progress)
{
    ImportResult result;
    BookBuilder builder(result, progress);
    // The bytes are decoded when they are not UTF-8.
    QByteArray bytes = std::exchange(data, QByteArray());
    QByteArray utf8 = bytes.startsWith("\xEF\xBB\xBF")
                          ? QByteArray::fromRawData(bytes.constData() + 3, bytes.size() - 3)
                          : bytes;
    if (!utf8.isValidUtf8())
        utf8 = decodefile(utf8, builder).toUtf8();
    const QList<Problem> decoding = result.problems;
    if (!readbyquestion(utf8, builder, result)) {
        // Read again as a whole, which says where the file is not JSON.
        result = ImportResult{{}, {}, {}, decoding};
        readwhole(utf8, bytes, builder, result);
    }
    // A full book stops at the question it could not take; name it by number.
    if (builder.full() && !result.problems.isEmpty()) {
        Problem &last = result.problems.last();
        last.reason =
            QStringLiteral("question %1: %2").arg(result.questions.size() + 1).arg(last.reason);
    }
    return result;
}

ExportResult writejson(const QBookHeader &header, const Questions &questions, Pacer &pacer)
{
    QJsonArray list;
    for (qsizetype k = 0; k < questions.size(); ++k) {
        if (!pacer.at(k, questions.size()))
            return {};
        const QuestionRecord record = questions[k];
        QJsonArray answers;
        for (const QString &answer : record.answers)
            answers.append(answer);
        list.append(QJsonObject{{QLatin1String("question"), record.question},
                                {QLatin1String("answers"), answers},
                                {QLatin1String("correct"), record.correct}});
    }
    const QJsonObject root{{QLatin1String("category"), header.category},
                           {QLatin1String("author"), header.author},
                           {QLatin1String("questions"), list}};
    return ExportResult{QJsonDocument(root).toJson(QJsonDocument::Indented), {}};
}

} // namespace interchange::detail
