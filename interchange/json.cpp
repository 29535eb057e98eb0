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

} // namespace

ImportResult readjson(QByteArray &data, const Progress &progress)
{
    ImportResult result;
    BookBuilder builder(result, progress);
    // The bytes are let go once parsed, or decoded when they are not UTF-8.
    QByteArray bytes = std::exchange(data, QByteArray());
    QByteArray utf8 = bytes.startsWith("\xEF\xBB\xBF")
                          ? QByteArray::fromRawData(bytes.constData() + 3, bytes.size() - 3)
                          : bytes;
    if (!utf8.isValidUtf8())
        utf8 = decodefile(utf8, builder).toUtf8();

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
        return result;
    }
    utf8 = QByteArray();
    bytes = QByteArray();
    if (!document.isObject()) {
        builder.report(1, QStringLiteral("not a JSON object with \"questions\": nothing read"));
        return result;
    }
    const QJsonObject root = document.object();
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

    const QJsonValue questions = root.value(QLatin1String("questions"));
    if (!questions.isArray()) {
        builder.report(0, QStringLiteral("no \"questions\" list: nothing read"));
        return result;
    }
    const QJsonArray list = questions.toArray();
    for (qsizetype i = 0; i < list.size() && builder.going(i, list.size()); ++i)
        readquestion(list.at(i), static_cast<int>(i + 1), builder);
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
    for (const QuestionRecord &record : questions) {
        if (!pacer.at(list.size(), questions.size()))
            return {};
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
