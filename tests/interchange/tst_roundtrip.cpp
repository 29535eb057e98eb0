// Writing a book in each format and reading it back: random books through every format give
// the same questions, or exactly the documented changes, each of them reported; JSON carries a
// book byte for byte.
#include "interchange/interchange.h"
#include "storage/modquiz.h"
#include "storage/soundness.h"
#include "tests/support/testsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

using interchange::Format;

namespace {

// Pieces that trouble one format or another: escapes, quotes, delimiters, markup, line breaks,
// marks that start a line, characters beyond ASCII.
const QStringList pieces = {
    "a",   "Z",  "9",      " ",          "  ",  "~",         "=",     "#",    "{",   "}",  ":",
    "\\",  "\"", "'",      ",",          ";",   "\t",        "<",     ">",    "&",   "[",  "]",
    "/",   "é",  "€",      "“",          "ü",   "\u0081",    "\n",    "\r\n", "]]>", "->", "_____",
    "\\n", "//", "[html]", "$CATEGORY:", "A) ", "ANSWER: B", "&amp;", "<br>", "::",  "T",  "true"};

QString randomtext(QRandomGenerator &random)
{
    QString text;
    const int count = random.bounded(0, 9);
    for (int i = 0; i < count; ++i)
        text += pieces[random.bounded(pieces.size())];
    return text;
}

QList<QuestionRecord> randombook(quint32 seed, int size)
{
    QRandomGenerator random(seed);
    QList<QuestionRecord> book(size);
    for (QuestionRecord &record : book) {
        record.question = randomtext(random);
        // Now and then trailing slots stay empty, or the book has no right answer.
        const int used = random.bounded(1, 5);
        for (int i = 0; i < used; ++i)
            record.answers[i] = randomtext(random);
        record.correct = static_cast<quint8>(random.bounded(10) == 0 ? 0 : random.bounded(1, 5));
    }
    return book;
}

bool holdsanyrightanswer(Format format)
{
    return format == Format::Json;
}

// A text as the format gives it back, by the rules each writer reports.
QString readback(const QString &text, Format format)
{
    QString out = text;
    switch (format) {
    case Format::Gift: // every line break reads back as CR LF; a lone CR is left out
        out = out.trimmed();
        out.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).remove(u'\r');
        return out.replace(u'\n', QStringLiteral("\r\n"));
    case Format::Aiken:
        out.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\n', u' ');
        return out.trimmed();
    case Format::MoodleXml: { // a text without CR had its line ends read as LF
        if (out.contains(u'\r') || !out.contains(u'\n'))
            return out;
        QStringList lines = out.split(u'\n');
        while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
            lines.removeFirst();
        while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
            lines.removeLast();
        return lines.join(QStringLiteral("\r\n"));
    }
    case Format::Csv:
    case Format::Json:
        return out;
    }
    return out;
}

// GIFT keeps the answers with text in their order; false when fewer than two remain or the
// right one is not among them, and the question is left out.
bool giftchoices(QuestionRecord &record)
{
    const auto begin = record.answers.begin();
    const auto right = begin + record.correct - 1;
    const bool kept = !right->isEmpty();
    record.correct = static_cast<quint8>(
        1 + std::count_if(begin, right, [](const QString &a) { return !a.isEmpty(); }));
    const auto end = std::remove(begin, record.answers.end(), QString());
    std::fill(end, record.answers.end(), QString());
    return kept && end - begin >= 2;
}

QString formatname(int format)
{
    return interchange::formatname(Format(format));
}

} // namespace

class tst_roundtrip : public QObject
{
    Q_OBJECT

private slots:
    void randomBooksReadBackAsReported_data();
    void randomBooksReadBackAsReported();
    void bookToJsonToBookIsByteIdentical();
    void csvExportOpensInSpreadsheets();
    void aikenExportReportsWhatItChanges();
    void giftExportLeavesOutEmptySlots();
    void exportsReadInIndependentReaders_data();
    void exportsReadInIndependentReaders();
    void stoppedPartWayLeavesNothing_data();
    void stoppedPartWayLeavesNothing();
};

void tst_roundtrip::randomBooksReadBackAsReported_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<quint32>("seed");
    for (const Format format :
         {Format::Gift, Format::Aiken, Format::MoodleXml, Format::Csv, Format::Json}) {
        for (const quint32 seed : {1u, 2u, 3u, 4u}) {
            QTest::addRow("%s seed %u", qPrintable(formatname(int(format))), seed)
                << int(format) << seed;
        }
    }
}

void tst_roundtrip::randomBooksReadBackAsReported()
{
    QFETCH(int, format);
    QFETCH(quint32, seed);
    const Format f = Format(format);
    const QList<QuestionRecord> book = randombook(seed, 300);
    const QBookHeader header{"Sci/Fi é", "Ann", "QB", 0};

    const interchange::ExportResult written = interchange::exportbook(header, book, f);
    QSet<int> reported;
    for (const auto &problem : written.problems)
        reported.insert(problem.line);

    QList<QuestionRecord> expected;
    qsizetype skipped = 0;
    for (qsizetype k = 0; k < book.size(); ++k) {
        QuestionRecord record = book[k];
        bool leftout =
            !holdsanyrightanswer(f) && qbook::answersoundness(record) != qbook::Unsound::None;
        record.question = readback(record.question, f);
        for (QString &answer : record.answers)
            answer = readback(answer, f);
        if (f == Format::Gift && !leftout)
            leftout = !giftchoices(record);
        const bool emptyaiken = f == Format::Aiken && record.question.isEmpty();
        // Answers the format empties (any, from JSON) break the rule: the reader skips them.
        const qbook::Unsound why = qbook::answersoundness(record);
        const bool skip = !leftout && !emptyaiken && why != qbook::Unsound::None &&
                          why != qbook::Unsound::NoRightAnswer;
        skipped += skip;
        const bool changed = leftout || emptyaiken || record != book[k];
        QVERIFY2(reported.contains(int(k + 1)) == changed,
                 qPrintable(QStringLiteral("question %1: changed %2, reported %3")
                                .arg(k + 1)
                                .arg(changed)
                                .arg(reported.contains(int(k + 1)))));
        if (!leftout && !emptyaiken && !skip)
            expected.append(record);
    }

    const interchange::ImportResult read = interchange::importbook(written.data, f);
    // Only JSON carries a question without a right answer, and reading it says so.
    const auto norightanswer = std::count_if(expected.cbegin(), expected.cend(), [](const auto &r) {
        return r.correct < 1 || r.correct > 4;
    });
    QCOMPARE(read.problems.size(), norightanswer + skipped);
    QCOMPARE(read.questions.size(), expected.size());
    for (qsizetype k = 0; k < expected.size(); ++k)
        QCOMPARE(read.questions[k], expected[k]);
    const bool category = f == Format::Gift || f == Format::MoodleXml || f == Format::Json;
    QCOMPARE(read.category, category ? header.category : QString());
    QCOMPARE(read.author, f == Format::Json ? header.author : QString());
    QCOMPARE(reported.contains(0), f != Format::Json);
}

void tst_roundtrip::bookToJsonToBookIsByteIdentical()
{
    QRandomGenerator random(7);
    // No empty text: a question whose right answer is an empty slot is not taken in.
    const auto bytes = [&random] {
        QByteArray text(random.bounded(1, 40), Qt::Uninitialized);
        for (char &c : text) {
            do
                c = static_cast<char>(random.bounded(256));
            while ((c >= 0 && c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F);
        }
        return text;
    };
    // Any byte but the control characters that reading leaves out, in any text, and any
    // correct value, as a damaged or foreign book may hold.
    const QByteArray book = [&] {
        QByteArray out;
        const auto text = [&](QByteArray &into) {
            const QByteArray t = bytes();
            into.append(static_cast<char>(t.size()));
            into.append('\0');
            into.append(t);
        };
        text(out);
        text(out);
        out.append("\x02\x00QB", 4);
        out.append("\xF4\x01", 2);
        for (int k = 0; k < 500; ++k) {
            for (int t = 0; t < 5; ++t)
                text(out);
            out.append(static_cast<char>(random.bounded(256)));
        }
        return out;
    }();

    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(book, header, questions));
    const QList<QuestionRecord> records = questions.mid(1);
    const interchange::ExportResult json = interchange::exportbook(header, records, Format::Json);
    QVERIFY(json.problems.isEmpty());

    const interchange::ImportResult read = interchange::importbook(json.data, Format::Json);
    QCOMPARE(read.questions.size(), 500);
    QList<QuestionRecord> back{QuestionRecord{}};
    back.append(read.questions);
    const auto again =
        modquiz::serializebook(QBookHeader{read.category, read.author, "QB", 0}, back);
    QVERIFY(again.has_value());
    QCOMPARE(again->size(), book.size());
    QVERIFY(*again == book);
}

void tst_roundtrip::csvExportOpensInSpreadsheets()
{
    const QuestionRecord record{"Où?\nIci", {"a,b", "say \"hi\"", "", ""}, 2};
    const QByteArray csv = interchange::exportbook(QBookHeader{}, QList{record}, Format::Csv).data;
    QCOMPARE(csv, QByteArray("\xEF\xBB\xBFquestion,answer1,answer2,answer3,answer4,correct\r\n"
                             "\"O\xC3\xB9?\nIci\",\"a,b\",\"say \"\"hi\"\"\",,,2\r\n"));
}

void tst_roundtrip::aikenExportReportsWhatItChanges()
{
    const QList<QuestionRecord> book = {
        QuestionRecord{"Two\nlines", {"a", "b", "", ""}, 1},
        QuestionRecord{"None right", {"a", "b", "", ""}, 0},
        QuestionRecord{"", {"a", "b", "", ""}, 1},
        QuestionRecord{"Fine", {"", "b", "", "d"}, 2},
    };
    const interchange::ExportResult written =
        interchange::exportbook(QBookHeader{"Cat", "", "QB", 0}, book, Format::Aiken);
    QCOMPARE(written.data, QByteArray("Two lines\nA) a\nB) b\nANSWER: A\n\n"
                                      "Fine\nA)\nB) b\nC)\nD) d\nANSWER: B\n\n"));
    QStringList got;
    for (const auto &problem : written.problems)
        got.append(QStringLiteral("%1: %2").arg(problem.line).arg(problem.reason));
    QCOMPARE(got, (QStringList{"0: Aiken has no place for the category and author: left out",
                               "1: line breaks written as spaces",
                               "2: correct answer 0 is not 1 to 4: left out",
                               "3: Aiken cannot hold a question without text: left out"}));
}

void tst_roundtrip::giftExportLeavesOutEmptySlots()
{
    const QList<QuestionRecord> book = {QuestionRecord{"Q", {"x", "", "y", "[b]"}, 3},
                                        QuestionRecord{"One", {"", "a", " ", ""}, 2}};
    const interchange::ExportResult written =
        interchange::exportbook(QBookHeader{}, book, Format::Gift);
    QCOMPARE(written.data, QByteArray("Q {~x =y ~[moodle][b] }\n\n"));
    QCOMPARE(written.problems,
             (QList<interchange::Problem>{{1, "empty answer slots left out: the letters change"},
                                          {2, "fewer than two answers are filled: left out"}}));
}

void tst_roundtrip::exportsReadInIndependentReaders_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("reader");
    QTest::newRow("Moodle XML") << int(Format::MoodleXml)
                                << QStringList{"xmllint", "--noout", "--nonet", "-"};
    // Each row's cells, one row a line, as a JSON list.
    QTest::newRow("CSV") << int(Format::Csv)
                         << QStringList{"python3", "-c",
                                        "import csv, io, json, sys\n"
                                        "for row in csv.reader(io.TextIOWrapper(sys.stdin.buffer, "
                                        "encoding='utf-8-sig', newline='')):\n"
                                        "    print(json.dumps(row))"};
}

// A spreadsheet takes a cell that starts with = + - or @ for a formula: such texts go out guarded
// by an apostrophe, which reading takes off again.
void tst_roundtrip::exportsReadInIndependentReaders()
{
    QFETCH(int, format);
    QFETCH(QStringList, reader);
    QList<QuestionRecord> book = randombook(5, 200);
    book.append(QuestionRecord{
        "=HYPERLINK(\"http://example.invalid\",\"click\")", {"+1", "-2", "@SUM(A1)", "'=x"}, 1});
    book.append(QuestionRecord{"'quoted", {"a=b", "''+", "", ""}, 2});
    const interchange::ExportResult written = interchange::exportbook({}, book, Format(format));
    QProcess process;
    process.start(reader.takeFirst(), reader);
    process.write(written.data);
    process.closeWriteChannel();
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    if (Format(format) == Format::Csv) {
        const QList<QByteArray> rows = process.readAllStandardOutput().trimmed().split('\n');
        const auto cells = [&rows](qsizetype fromend) {
            return QJsonDocument::fromJson(rows[rows.size() - fromend]).array().toVariantList();
        };
        QCOMPARE(cells(2), (QVariantList{"'=HYPERLINK(\"http://example.invalid\",\"click\")", "'+1",
                                         "'-2", "'@SUM(A1)", "''=x", "1"}));
        QCOMPARE(cells(1), (QVariantList{"'quoted", "a=b", "'''+", "", "", "2"}));
    }
    const interchange::ImportResult read = interchange::importbook(written.data, Format(format));
    QCOMPARE(read.questions.mid(read.questions.size() - 2), book.mid(book.size() - 2));
}

void tst_roundtrip::stoppedPartWayLeavesNothing_data()
{
    QTest::addColumn<int>("format");
    for (const Format format : interchange::allformats)
        QTest::newRow(qPrintable(formatname(int(format)))) << int(format);
}

// Asked to stop at its second report, an export gives nothing to write and an import no book,
// and neither reports again.
void tst_roundtrip::stoppedPartWayLeavesNothing()
{
    QFETCH(int, format);
    const QBookHeader header{"Category", "Author", "QB", 0};
    const QList<QuestionRecord> book = randombook(6, 2000);
    int reports = 0;
    bool partway = true;
    const interchange::Progress stopsecond = [&](qint64 done, qint64 total) {
        partway &= done < total;
        return ++reports < 2;
    };
    const QByteArray data = interchange::exportbook(header, book, Format(format)).data;
    const auto exported = interchange::exportbook(header, book, Format(format), stopsecond);
    QVERIFY(exported.stopped && exported.data.isEmpty() && exported.problems.isEmpty());
    QCOMPARE(reports, 2);
    reports = 0;
    const auto imported = interchange::importbook(data, Format(format), stopsecond);
    QVERIFY(imported.stopped && imported.questions.isEmpty() && imported.problems.isEmpty());
    QVERIFY(imported.category.isEmpty());
    QCOMPARE(reports, 2);
    QVERIFY(partway);
}

QTEST_GUILESS_MAIN(tst_roundtrip)
#include "tst_roundtrip.moc"
