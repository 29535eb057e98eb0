#include "qbook/resultscommand.h"

#include "qbook/bookcommands.h"
#include "results/store.h"
#include "storage/modquiz.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace cli {
namespace {

struct Table
{
    QStringList headers;
    QList<QVariantList> rows;
};

void out(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

void print(const Table &table, bool csv, bool json)
{
    if (json) {
        QJsonArray array;
        for (const QVariantList &row : table.rows) {
            QJsonObject object;
            for (qsizetype k = 0; k < row.size(); ++k)
                object.insert(table.headers[k], QJsonValue::fromVariant(row[k]));
            array.append(object);
        }
        out(QString::fromUtf8(QJsonDocument(array).toJson()));
        return;
    }
    // Text: columns separated by two spaces and as wide as their widest cell.
    QList<QStringList> cells{table.headers};
    for (const QVariantList &row : table.rows) {
        QStringList line;
        for (const QVariant &value : row)
            line << value.toString();
        cells << line;
    }
    QList<qsizetype> widths(table.headers.size(), 0);
    for (const QStringList &line : cells)
        for (qsizetype k = 0; k < line.size(); ++k)
            widths[k] = std::max(widths[k], line[k].size());
    for (const QStringList &line : cells) {
        QStringList fields;
        for (qsizetype k = 0; k < line.size(); ++k)
            fields << (csv                   ? results::csvcell(line[k])
                       : k + 1 < line.size() ? line[k].leftJustified(widths[k])
                                             : line[k]);
        out(fields.join(csv ? QStringLiteral(",") : QStringLiteral("  ")) + u'\n');
    }
}

QString optionsname(const results::Options &options)
{
    QStringList names;
    if (options.onechance)
        names << QStringLiteral("one-chance");
    if (options.shufflequestions)
        names << QStringLiteral("shuffle-questions");
    if (options.shuffleanswers)
        names << QStringLiteral("shuffle-answers");
    if (options.review)
        names << QStringLiteral("review");
    return names.join(u' ');
}

double rounded(double value)
{
    return qRound(value * 10) / 10.0;
}

Table history(const std::vector<results::AttemptRow> &attempts)
{
    Table table{{"started", "ended", "taker", "score", "maximum", "percent", "options", "finished"},
                {}};
    for (const results::AttemptRow &a : attempts)
        table.rows.append({a.started.toLocalTime().toString(Qt::ISODate),
                           a.ended.toLocalTime().toString(Qt::ISODate), a.taker, a.score, a.maximum,
                           rounded(a.maximum > 0 ? 100.0 * a.score / a.maximum : 0),
                           optionsname(a.options), a.finished});
    return table;
}

Table questions(const std::vector<results::QuestionRow> &rows)
{
    Table table{{"question", "asked", "facility", "right", "most_wrong", "most_wrong_count",
                 "mean_seconds", "discrimination", "A", "B", "C", "D"},
                {}};
    for (const results::QuestionRow &row : rows) {
        const results::QuestionFigures f = results::figures(row.counts);
        table.rows.append({row.number, row.counts.asked, rounded(f.facility),
                           rounded(f.rightpercent),
                           f.mostwrong ? QString(QChar(f.mostwrong)) : QString(), f.mostwrongcount,
                           rounded(f.meanseconds),
                           f.discrimination ? QVariant(qRound(*f.discrimination * 100) / 100.0)
                                            : QVariant(QString()),
                           row.counts.chosen[0], row.counts.chosen[1], row.counts.chosen[2],
                           row.counts.chosen[3]});
    }
    return table;
}

} // namespace

int results(const QStringList &arguments)
{
    const QCommandLineOption csv(QStringLiteral("csv")), json(QStringLiteral("json")),
        questionsoption(QStringLiteral("questions"));
    QCommandLineParser parser;
    parser.addOptions({csv, json, questionsoption});
    if (!parser.parse(QStringList{QStringLiteral("qbook")} + arguments))
        return usageerror(parser.errorText());
    if (parser.positionalArguments().size() != 1)
        return usageerror(parser.positionalArguments().isEmpty()
                              ? QStringLiteral("missing file name")
                              : QStringLiteral("unexpected argument '%1'")
                                    .arg(parser.positionalArguments().at(1)));
    if (parser.isSet(csv) && parser.isSet(json))
        return usageerror(QStringLiteral("--csv and --json exclude each other"));
    const QString path = parser.positionalArguments().constFirst();
    QString why;
    const std::optional<modquiz::BookFile> book = modquiz::readbookfile(path, &why);
    if (!book) {
        std::fputs(qPrintable(QStringLiteral("qbook: cannot read %1: %2\n").arg(path, why)),
                   stderr);
        return exitfailed;
    }
    const QByteArray hash = results::bookhash(book->questions, true);
    results::Store store;
    const std::vector<results::AttemptRow> attempts = store.attempts(hash);
    if (attempts.empty()) {
        std::fputs(qPrintable(QStringLiteral("qbook: %1: no results kept\n").arg(path)), stderr);
        return exitfailed;
    }
    print(parser.isSet(questionsoption) ? questions(store.questions(hash)) : history(attempts),
          parser.isSet(csv), parser.isSet(json));
    return exitok;
}

} // namespace cli
