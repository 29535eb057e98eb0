// Reading each exchange format: its own syntax and edge cases, what is skipped and reported
// with its line, and the limits of a book applied to what is read.
#include "interchange/interchange.h"
#include "tests/support/testsupport.h"

#include <QFile>
#include <QStringEncoder>
#include <QTest>

using interchange::Format;
using interchange::ImportResult;

namespace {

QuestionRecord record(const QString &question, const QStringList &answers, int correct)
{
    QuestionRecord r;
    r.question = question;
    for (qsizetype i = 0; i < answers.size(); ++i)
        r.answers[i] = answers[i];
    r.correct = static_cast<quint8>(correct);
    return r;
}

// Problems as "line: reason", which QCOMPARE shows when they differ.
QStringList problems(const QList<interchange::Problem> &list)
{
    QStringList out;
    for (const auto &problem : list)
        out.append(QStringLiteral("%1: %2").arg(problem.line).arg(problem.reason));
    return out;
}

ImportResult read(const QByteArray &data, Format format)
{
    return interchange::importbook(data, format);
}

} // namespace

class tst_formats : public QObject
{
    Q_OBJECT

private slots:
    void giftSyntax();
    void giftAndAikenHabitsOfRealBanks();
    void realBanksImportAsMeant_data();
    void realBanksImportAsMeant();
    void giftCategoryPath_data();
    void giftCategoryPath();
    void giftSkipsWhatIsNotSingleChoice();
    void severalCategoriesKeepTheFirst();
    void aikenMarksAndLineEnds();
    void aikenMalformedQuestionReportedAndReadingGoesOn();
    void moodleXmlCdataEntitiesCategoryAndTrueFalse();
    void moodleXmlSkipsAndStopsAtBrokenXml();
    void csvQuotedFieldsAndLineNumbers();
    void csvDelimiterFromHeader_data();
    void csvDelimiterFromHeader();
    void csvCorrectAsNumberOrLetter();
    void csvWithoutHeaderReadsNothing();
    void jsonReadsAndReportsByQuestion();
    void notUtf8ReadAsWindows1252Once_data();
    void notUtf8ReadAsWindows1252Once();
    void charactersOutsideWindows1252ReportedPerQuestion();
    void longTextCutAndReported();
    void stopsAfterTheLastQuestionABookHolds_data();
    void stopsAfterTheLastQuestionABookHolds();
    void formatsByNameAndExtension();
    void unicodeFilesReadByTheirByteOrderMark_data();
    void unicodeFilesReadByTheirByteOrderMark();
    void controlCharactersLeftOut_data();
    void controlCharactersLeftOut();
    void moodleXmlPlainTextLinesAndDefaultFormat();
    void htmlReducedWithoutLosingText_data();
    void htmlReducedWithoutLosingText();
    void jsonErrorLineCountsLinesNotBytes();
    void corpusImportsAsItsAuthorsMeant_data();
    void corpusImportsAsItsAuthorsMeant();
};

namespace {

// A Moodle XML file of one question with this question text element.
QByteArray xmlquestion(const QByteArray &questiontext)
{
    return "<quiz><question type=\"multichoice\">" + questiontext +
           "<answer fraction=\"100\"><text>a</text></answer>"
           "<answer fraction=\"0\"><text>b</text></answer></question></quiz>";
}

} // namespace

void tst_formats::giftSyntax()
{
    const QByteArray gift = "// a comment line\n"
                            "::Q1:: What is 2+2? {=4 ~3 ~5}\n"
                            "\n"
                            "Grant is {~buried =entombed ~living} in Grant's tomb.\n"
                            "\n"
                            "[html]<p>Is &lt;b&gt; <b>bold</b>?</p><p>Caf&eacute;&#33;<br>x</p> {\n"
                            "  =yes\n"
                            "  ~%0%no\n"
                            "}\n"
                            "\n"
                            "[markdown]Keep *this* {=%100%a ~b}\n"
                            "\n"
                            "Escapes \\{ \\} \\: \\= \\~ \\# \\\\ and\\nbreak, \\q kept\n"
                            "over two lines {=a\\=b ~c\\~d ~e\\}f}\n"
                            "\n"
                            "The sun rises in the east.{TRUE}\n"
                            "\n"
                            "False?{F#it is true}\n";
    const ImportResult result = read(gift, Format::Gift);
    const QList<QuestionRecord> expected = {
        record("What is 2+2?", {"4", "3", "5"}, 1),
        record("Grant is _____ in Grant's tomb.", {"buried", "entombed", "living"}, 2),
        record("Is <b> bold?\r\nCafé!\r\nx", {"yes", "no"}, 1),
        record("Keep *this*", {"a", "b"}, 1),
        record("Escapes { } : = ~ # \\ and\r\nbreak, \\q kept\r\nover two lines",
               {"a=b", "c~d", "e}f"}, 1),
        record("The sun rises in the east.", {"True", "False"}, 1),
        record("False?", {"True", "False"}, 2),
    };
    QCOMPARE(result.questions, expected);
    QCOMPARE(problems(result.problems), QStringList{"18: feedback left out"});
}

// "~=" for "=", answer format marks, a penalty, CR line ends.
void tst_formats::giftAndAikenHabitsOfRealBanks()
{
    const ImportResult gift = read("Boils at {~=100 ~50}\r\rQ {~a ~b ~=c ~d}\n\n"
                                   "Colour? {=y ~[plain]b ~[html]<b>g</b>}\n\nP {=r ~%-50%w ~v}",
                                   Format::Gift);
    QCOMPARE(gift.questions, (QList<QuestionRecord>{record("Boils at", {"100", "50"}, 1),
                                                    record("Q", {"a", "b", "c", "d"}, 3),
                                                    record("Colour?", {"y", "b", "g"}, 1),
                                                    record("P", {"r", "w", "v"}, 1)}));
    QCOMPARE(problems(gift.problems), (QStringList{"1: \"~=\" read as \"=\", a right answer",
                                                   "7: penalty for wrong answers not kept"}));
    const ImportResult aiken = read("Q\rA) a\rB) b\rANSWER: B\r", Format::Aiken);
    QCOMPARE(aiken.questions, QList<QuestionRecord>{record("Q", {"a", "b"}, 2)});
}

// Files of other authors (tests/data/corpus, sources in SOURCES.md); a .txt file is read as
// its content says.
void tst_formats::realBanksImportAsMeant_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("imported");
    QTest::addColumn<int>("skipped");
    QTest::addColumn<QString>("right"); // the right answer of the last question imported
    QTest::newRow("GIFT, .txt") << "gift/moodle-questions.gift.txt" << 4 << 5 << "True";
    QTest::newRow("GIFT, category")
        << "gift/moodle-questions_in_category.gift.txt" << 2 << 2 << "True";
    QTest::newRow("GIFT, examples")
        << "gift/giftpegjs-giftFormatPhpExamples.gift" << 4 << 6 << "entombed";
    QTest::newRow("GIFT, seven choices") << "gift/giftpegjs-escapeAll.gift" << 0 << 1 << "";
    QTest::newRow("Aiken, errors")
        << "aiken/moodle-aiken_errors.txt" << 2 << 3 << "Correct (No space)";
    QTest::newRow("Aiken") << "aiken/moodle-questions.aiken.txt" << 2 << 0 << "True";
}

void tst_formats::realBanksImportAsMeant()
{
    QFETCH(QString, file);
    QFETCH(int, imported);
    QFETCH(int, skipped);
    QFETCH(QString, right);
    const QByteArray data = filebytes(TESTDATA "/corpus/" + file);
    const Format format = interchange::formatbycontent(file) ? interchange::textformat(data)
                                                             : *interchange::formatfrompath(file);
    QCOMPARE(format, file.startsWith("gift") ? Format::Gift : Format::Aiken);
    const ImportResult result = read(data, format);
    QCOMPARE(result.questions.size(), imported);
    QCOMPARE(problems(result.problems).filter(": skipped").size(), skipped);
    const QuestionRecord last = imported > 0 ? result.questions.last() : record("", {}, 1);
    QCOMPARE(last.answers[last.correct - 1], right);
}

void tst_formats::giftCategoryPath_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("category");
    QTest::newRow("course prefix") << QByteArray("$CATEGORY: $course$/top/Maths") << "Maths";
    QTest::newRow("last part") << QByteArray("$CATEGORY: a/b/Algebra  ") << "Algebra";
    QTest::newRow("doubled slash") << QByteArray("$CATEGORY: a/This//That") << "This/That";
    QTest::newRow("prefix alone") << QByteArray("$CATEGORY: $course$") << "";
    QTest::newRow("top of a course") << QByteArray("$CATEGORY: $course$/top") << "";
    QTest::newRow("a category named top") << QByteArray("$CATEGORY: top") << "top";
}

void tst_formats::giftCategoryPath()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, category);
    const ImportResult result = read(line + "\n\nQ {=a ~b}\n", Format::Gift);
    QCOMPARE(result.category, category);
    QCOMPARE(result.questions.size(), 1);
}

void tst_formats::giftSkipsWhatIsNotSingleChoice()
{
    const QByteArray gift = "Short {=answer =other}\n\n"
                            "Num {#3:1}\n\n"
                            "Match {=a -> b =c -> d}\n\n"
                            "Essay {}\n\n"
                            "Graded by hand {####<p>general feedback</p>}\n\n"
                            "Partial {~%50%a ~%50%b ~c}\n\n"
                            "Two right {=a =b ~c}\n\n"
                            "Five {=a ~b ~c ~d ~e}\n\n"
                            "None right {~a ~b}\n\n"
                            "No braces at all\n\n"
                            "Kept {~no =yes}\n";
    const ImportResult result = read(gift, Format::Gift);
    QCOMPARE(result.questions, (QList<QuestionRecord>{record("Kept", {"no", "yes"}, 2)}));
    QCOMPARE(problems(result.problems),
             (QStringList{"1: short answer question: skipped", "3: numerical question: skipped",
                          "5: matching question: skipped", "7: essay question: skipped",
                          "9: essay question: skipped",
                          "11: several right answers or partial credit: skipped",
                          "13: several right answers or partial credit: skipped",
                          "15: more than four choices: skipped", "17: no right answer: skipped",
                          "19: no answers in braces: skipped"}));
}

void tst_formats::severalCategoriesKeepTheFirst()
{
    const QByteArray gift = "$CATEGORY: $course$/top\n\n$CATEGORY: a/Maths\n\nQ {=a ~b}\n\n"
                            "$CATEGORY: Maths\n\n$CATEGORY: Art\nR {=a ~b}\n";
    const ImportResult result = read(gift, Format::Gift);
    QCOMPARE(result.category, QStringLiteral("Maths"));
    QCOMPARE(result.questions.size(), 2);
    QCOMPARE(problems(result.problems),
             QStringList{"9: another category \"Art\": the book keeps \"Maths\""});
}

void tst_formats::aikenMarksAndLineEnds()
{
    const QByteArray aiken = "What?\r\nA) one\r\nB)two\r\nC. three\r\nANSWER: C\r\n\r\n\r\n"
                             "Second\nline\nA.x\nB. y\nanswer: a\n";
    const ImportResult result = read(aiken, Format::Aiken);
    QCOMPARE(result.questions, (QList<QuestionRecord>{record("What?", {"one", "two", "three"}, 3),
                                                      record("Second\r\nline", {"x", "y"}, 1)}));
    QVERIFY(result.problems.isEmpty());
}

void tst_formats::aikenMalformedQuestionReportedAndReadingGoesOn()
{
    const QByteArray aiken = "Good\nA) 1\nB) 2\nANSWER: B\n\n"               // 1-5
                             "Broken\nA) x\nstray text\nB) y\nANSWER: A\n\n" // 6-11
                             "Letter\nA) a\nB) b\nANSWER: C\n\n"             // 12-16
                             "One\nA) only\nANSWER: A\n"                     // 17-19
                             "Straight after\nA) p\nB) q\nANSWER: A\n\n"     // 20-24
                             "Unfinished\nA) a\nB) b\n";                     // 25-27
    const ImportResult result = read(aiken, Format::Aiken);
    QCOMPARE(result.questions, (QList<QuestionRecord>{record("Good", {"1", "2"}, 2),
                                                      record("Straight after", {"p", "q"}, 1)}));
    QCOMPARE(problems(result.problems),
             (QStringList{
                 "6: line 8 is neither choice B nor the ANSWER line: lines 6 to 10 skipped",
                 "12: ANSWER \"C\" names no choice: skipped", "17: fewer than two choices: skipped",
                 "25: no ANSWER line before the end of the file: skipped"}));
}

void tst_formats::moodleXmlCdataEntitiesCategoryAndTrueFalse()
{
    const QByteArray xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<quiz>
  <question type="category">
    <category><text>$course$/top/Science/Physics</text></category>
  </question>
  <question type="multichoice">
    <name><text>q1</text></name>
    <questiontext format="html"><text><![CDATA[<p>Speed of &amp; light&nbsp;&euro;?</p>]]></text></questiontext>
    <generalfeedback format="html"><text></text></generalfeedback>
    <answer fraction="100" format="html"><text><![CDATA[<b>c</b>]]></text></answer>
    <answer fraction="0" format="plain_text"><text>slow &lt; fast &amp;  &lt;b&gt;</text></answer>
    <answer fraction="0.0000000"><text><![CDATA[<i>i</i>]]></text></answer>
  </question>
  <question type="truefalse">
    <questiontext format="plain_text"><text>Earth is flat</text></questiontext>
    <answer fraction="0"><text>true</text><feedback><text>No.</text></feedback></answer>
    <answer fraction="100"><text>false</text></answer>
  </question>
</quiz>
)";
    const ImportResult result = read(xml, Format::MoodleXml);
    QCOMPARE(result.category, QStringLiteral("Physics"));
    QCOMPARE(result.questions,
             (QList<QuestionRecord>{
                 record("Speed of & light\u00a0€?", {"c", "slow < fast &  <b>", "i"}, 1),
                 record("Earth is flat", {"True", "False"}, 2)}));
    QCOMPARE(problems(result.problems), QStringList{"14: feedback left out"});
}

void tst_formats::moodleXmlSkipsAndStopsAtBrokenXml()
{
    const QByteArray xml = R"(<quiz>
<question type="shortanswer"><questiontext><text>s</text></questiontext></question>
<question type="essay"><questiontext><text>e</text></questiontext></question>
<question type="multichoice"><questiontext><text>p</text></questiontext>
  <answer fraction="50"><text>a</text></answer><answer fraction="50"><text>b</text></answer></question>
<question type="multichoice"><questiontext><text>neg</text></questiontext>
  <answer fraction="100"><text>a</text></answer><answer fraction="-33.33333"><text>b</text></answer></question>
<question type="multichoice"><questiontext><text>ok</text></questiontext>
  <answer fraction="0"><text>a</text></answer><answer fraction="100"><text>b</text></answer></question>
<question type="multichoice"><questiontext><text>gap</text></questiontext><answer fraction="100"><text/></answer><answer fraction="0"><text>b</text></answer><answer fraction="0"><text>c</text></answer></question>
<question type="multichoice"><questiontext><text>broken</text>
</quiz>
)";
    const ImportResult result = read(xml, Format::MoodleXml);
    QCOMPARE(result.questions,
             (QList<QuestionRecord>{record("neg", {"a", "b"}, 1), record("ok", {"a", "b"}, 2)}));
    const QStringList got = problems(result.problems);
    QCOMPARE(got.size(), 6);
    QCOMPARE(got.mid(0, 5),
             (QStringList{"2: short answer question: skipped", "3: essay question: skipped",
                          "4: several right answers or partial credit: skipped",
                          "6: penalty for wrong answers not kept",
                          "10: right answer 1 names an empty answer slot: skipped"}));
    QVERIFY2(got[5].startsWith("12: not well-formed XML") && got[5].endsWith("reading stopped"),
             qPrintable(got[5]));

    const ImportResult other =
        read("<?xml version=\"1.0\"?>\n<html><quiz/></html>", Format::MoodleXml);
    QCOMPARE(problems(other.problems),
             QStringList{"2: not a Moodle XML quiz: <html> instead of <quiz>: nothing read"});
}

void tst_formats::csvQuotedFieldsAndLineNumbers()
{
    const QByteArray csv = "question,answer1,answer2,answer3,answer4,correct\r\n"
                           "\"Comma, \"\"quote\"\"\r\nand break\",x,\"y,z\",,,2\r\n"
                           "plain,a,b,c,d,9\r\n"
                           "\r\n"
                           ",,,,,\r\n"
                           "last,a,b,c,d,4,extra\n";
    const ImportResult result = read(csv, Format::Csv);
    QCOMPARE(result.questions,
             (QList<QuestionRecord>{record("Comma, \"quote\"\r\nand break", {"x", "y,z"}, 2),
                                    record("last", {"a", "b", "c", "d"}, 4)}));
    QCOMPARE(problems(result.problems),
             (QStringList{"4: correct answer \"9\" is not 1 to 4 or A to D: skipped",
                          "7: more fields than columns: the rest left out"}));
}

void tst_formats::csvDelimiterFromHeader_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::newRow("comma, byte-order mark") << QByteArray(
        "\xEF\xBB\xBFquestion,answer1,answer2,answer3,answer4,correct\nQ;1,a,b\tc,,,1\n");
    QTest::newRow("semicolon, names in any case")
        << QByteArray("Question;ANSWER1;Answer2;answer3;answer4;Correct\nQ,1;a;b\tc;;;1\n");
    QTest::newRow("tab, quoted names") << QByteArray(
        "\"question\"\tanswer1\tanswer2\tanswer3\tanswer4\tcorrect\n\"Q,1\"\ta\t\"b\tc\"\t\t\t1\n");
    QTest::newRow("columns in another order, answers 3 and 4 absent")
        << QByteArray("correct,answer2,question,answer1\nA,b\tc,\"Q,1\",a\n");
}

void tst_formats::csvDelimiterFromHeader()
{
    QFETCH(QByteArray, csv);
    const ImportResult result = read(csv, Format::Csv);
    QCOMPARE(result.problems.size(), 0);
    QCOMPARE(result.questions.size(), 1);
    const QString question = result.questions[0].question;
    QVERIFY(question == u"Q,1" || question == u"Q;1");
    QCOMPARE(result.questions[0].answers[0], QStringLiteral("a"));
    QVERIFY(result.questions[0].answers[1].startsWith(u'b'));
    QCOMPARE(result.questions[0].correct, 1);
}

void tst_formats::csvCorrectAsNumberOrLetter()
{
    const QByteArray csv =
        "question,answer1,answer2,answer3,answer4,correct\n"
        "a,1,2,3,4,A\nb,1,2,3,4, d \nc,1,2,3,4,3\nd,1,2,3,4,E\ne,1,2,3,4,\nf,1,,3,,B\n";
    const ImportResult result = read(csv, Format::Csv);
    QCOMPARE(result.questions.size(), 3);
    QCOMPARE(result.questions[0].correct, 1);
    QCOMPARE(result.questions[1].correct, 4);
    QCOMPARE(result.questions[2].correct, 3);
    QCOMPARE(problems(result.problems),
             (QStringList{"5: correct answer \"E\" is not 1 to 4 or A to D: skipped",
                          "6: correct answer \"\" is not 1 to 4 or A to D: skipped",
                          "7: right answer 2 names an empty answer slot: skipped"}));
}

void tst_formats::csvWithoutHeaderReadsNothing()
{
    const ImportResult result = read("What?,a,b,c,d,1\n", Format::Csv);
    QVERIFY(result.questions.isEmpty());
    QCOMPARE(problems(result.problems),
             QStringList{"1: no header row \"question,answer1,answer2,answer3,answer4,correct\": "
                         "nothing read"});
}

void tst_formats::jsonReadsAndReportsByQuestion()
{
    const QByteArray json = R"({"category": "Maths", "author": "Ann", "questions": [
        {"question": "Two?", "answers": ["a", "b"], "correct": 2},
        {"question": "Five", "answers": ["a", "b", "c", "d", "e"], "correct": 1},
        {"question": "Past", "answers": ["a", "b", "c"], "correct": 4},
        {"question": "Zero", "answers": ["a", "b", "c", "d"], "correct": 0},
        {"question": "Half", "answers": ["a", "b"], "correct": 1.5},
        {"question": 7, "answers": ["a", "b"], "correct": 1},
        {"question": "Huge", "answers": ["a", "b"], "correct": 5.5e25}
    ]})";
    const ImportResult result = read(json, Format::Json);
    QCOMPARE(result.category, QStringLiteral("Maths"));
    QCOMPARE(result.author, QStringLiteral("Ann"));
    QCOMPARE(result.questions, (QList<QuestionRecord>{record("Two?", {"a", "b"}, 2),
                                                      record("Zero", {"a", "b", "c", "d"}, 0)}));
    QCOMPARE(
        problems(result.problems),
        (QStringList{"0: question 2: more than four choices: skipped",
                     "0: question 3: correct answer 4 names no choice: skipped",
                     "0: question 4: correct answer 0 is not 1 to 4: kept as it is",
                     "0: question 5: \"correct\" is not a whole number from 0 to 255: skipped",
                     "0: question 6: \"question\" is not a text: skipped",
                     "0: question 7: \"correct\" is not a whole number from 0 to 255: skipped"}));

    const ImportResult broken = read("{\"questions\": [\n{\"question\": \"x\",,}]}", Format::Json);
    QVERIFY(broken.questions.isEmpty());
    QCOMPARE(broken.problems.size(), 1);
    QCOMPARE(broken.problems[0].line, 2);
    QVERIFY(broken.problems[0].reason.endsWith(u"nothing read"));

    const QByteArray gap =
        R"({"questions": [{"question": "Q", "answers": ["a", "", "c"], "correct": 2}]})";
    QCOMPARE(problems(read(gap, Format::Json).problems),
             QStringList{"0: question 1: right answer 2 names an empty answer slot: skipped"});
}

void tst_formats::notUtf8ReadAsWindows1252Once_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("GIFT") << int(Format::Gift)
                          << QByteArray("Caf\xe9 {=\x80 ~b}\n\nNa\xefve {=a ~b}\n");
    QTest::newRow("Aiken")
        << int(Format::Aiken)
        << QByteArray("Caf\xe9\nA) \x80\nB) b\nANSWER: A\n\nNa\xefve\nA) a\nB) b\nANSWER: A\n");
    QTest::newRow("Moodle XML")
        << int(Format::MoodleXml)
        << QByteArray("<?xml version=\"1.0\"?><quiz><question type=\"multichoice\"><questiontext "
                      "format=\"plain_text\"><text>Caf\xe9</text></questiontext><answer "
                      "fraction=\"100\"><text>\x80</text></answer><answer fraction=\"0\"><text>b</"
                      "text></answer></question><question type=\"multichoice\"><questiontext "
                      "format=\"plain_text\"><text>Na\xefve</text></questiontext><answer "
                      "fraction=\"100\"><text>a</text></answer><answer fraction=\"0\"><text>b</"
                      "text></answer></question></quiz>");
    QTest::newRow("CSV") << int(Format::Csv)
                         << QByteArray("question;answer1;answer2;answer3;answer4;correct\n"
                                       "Caf\xe9;\x80;b;;;1\nNa\xefve;a;b;;;1\n");
    QTest::newRow("JSON") << int(Format::Json)
                          << QByteArray(
                                 "{\"questions\": [{\"question\": \"Caf\xe9\", \"answers\": "
                                 "[\"\x80\", \"b\"], \"correct\": 1}, {\"question\": "
                                 "\"Na\xefve\", \"answers\": [\"a\", \"b\"], \"correct\": 1}]}");
}

void tst_formats::notUtf8ReadAsWindows1252Once()
{
    QFETCH(int, format);
    QFETCH(QByteArray, data);
    const ImportResult result = read(data, Format(format));
    QCOMPARE(result.questions.size(), 2);
    QCOMPARE(result.questions[0].question, QStringLiteral("Café"));
    QCOMPARE(result.questions[0].answers[0], QStringLiteral("€"));
    QCOMPARE(result.questions[1].question, QStringLiteral("Naïve"));
    QCOMPARE(problems(result.problems), QStringList{"0: not valid UTF-8: read as Windows-1252"});
}

void tst_formats::charactersOutsideWindows1252ReportedPerQuestion()
{
    const QByteArray gift = "Snow \xe2\x98\x83 {=\xf0\x9f\x98\x80 ~b}\n\n"
                            "Fine é € {=a ~b}\n\n"
                            "Greek \xce\xb1 {=a ~\xce\xb2}\n";
    const ImportResult result = read(gift, Format::Gift);
    QCOMPARE(result.questions.size(), 3);
    QCOMPARE(result.questions[0].question, QStringLiteral("Snow ?"));
    QCOMPARE(result.questions[0].answers[0], QStringLiteral("?"));
    QCOMPARE(result.questions[1].question, QStringLiteral("Fine é €"));
    QCOMPARE(result.questions[2].answers[1], QStringLiteral("?"));
    QCOMPARE(problems(result.problems),
             (QStringList{"1: characters outside Windows-1252 stored as \"?\": ☃ (U+2603), "
                          "\U0001F600 (U+1F600)",
                          "5: characters outside Windows-1252 stored as \"?\": α (U+03B1), β "
                          "(U+03B2)"}));
}

void tst_formats::longTextCutAndReported()
{
    const QByteArray longtext(qbook::maxtextbytes + 10, 'x');
    const QByteArray csv = "question,answer1,answer2,answer3,answer4,correct\n" + longtext +
                           ",a,b,c,d,1\nshort,a," + longtext + ",,,2\n";
    const ImportResult result = read(csv, Format::Csv);
    QCOMPARE(result.questions.size(), 2);
    QCOMPARE(result.questions[0].question.size(), qbook::maxtextbytes);
    QCOMPARE(result.questions[1].answers[1].size(), qbook::maxtextbytes);
    QCOMPARE(problems(result.problems), (QStringList{"2: text longer than 32,767 bytes cut",
                                                     "3: text longer than 32,767 bytes cut"}));
}

void tst_formats::stopsAfterTheLastQuestionABookHolds_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("problem");
    QTest::newRow("Aiken") << int(Format::Aiken)
                           << "163831: more than 32,766 questions: reading stopped here";
    QTest::newRow("JSON") << int(Format::Json)
                          << "0: question 32767: more than 32,766 questions: reading stopped here";
}

// One question past the limit and a damaged one after it: reading stops at the first question
// the book cannot take, and reports nothing about what follows.
void tst_formats::stopsAfterTheLastQuestionABookHolds()
{
    QFETCH(int, format);
    QFETCH(QString, problem);
    QList<QuestionRecord> book(qbook::maxquestions + 1, record("Q", {"a", "b"}, 1));
    QByteArray data = interchange::exportbook(QBookHeader{}, book, Format(format)).data;
    if (Format(format) == Format::Aiken)
        data += "Damaged\nANSWER: A\n";
    const ImportResult result = read(data, Format(format));
    QCOMPARE(result.questions.size(), qbook::maxquestions);
    QCOMPARE(problems(result.problems), QStringList{problem});
}

void tst_formats::formatsByNameAndExtension()
{
    QCOMPARE(interchange::formatfromname("XML"), Format::MoodleXml);
    QCOMPARE(interchange::formatfromname(" gift "), Format::Gift);
    QCOMPARE(interchange::formatfromname("qti"), std::nullopt);
    QCOMPARE(interchange::formatfrompath("/a/b.TXT"), Format::Aiken);
    QCOMPARE(interchange::formatfrompath("b.aiken"), Format::Aiken);
    QCOMPARE(interchange::formatfrompath("b.Gift"), Format::Gift);
    QCOMPARE(interchange::formatfrompath("b.Q"), std::nullopt);
    for (const Format format :
         {Format::Gift, Format::Aiken, Format::MoodleXml, Format::Csv, Format::Json}) {
        const QString path = "book." + interchange::formatextension(format);
        QCOMPARE(interchange::formatfrompath(path), format);
        QVERIFY(interchange::formatfilter(format).contains("*." +
                                                           interchange::formatextension(format)));
    }
}

void tst_formats::unicodeFilesReadByTheirByteOrderMark_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");
    const std::pair<Format, QString> files[] = {
        {Format::Gift, "Café? {=é ~b}\r\n"},
        {Format::Aiken, "Café?\r\nA) é\r\nB) b\r\nANSWER: A\r\n"},
        // A spreadsheet's "Unicode Text": UTF-16 with tabs.
        {Format::Csv,
         "question\tanswer1\tanswer2\tanswer3\tanswer4\tcorrect\r\nCafé?\té\tb\t\t\t1\r\n"},
        {Format::Json,
         R"({"questions": [{"question": "Café?", "answers": ["é", "b"], "correct": 1}]})"},
        {Format::MoodleXml, "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n" +
                                QString::fromUtf8(xmlquestion("<questiontext format=\"plain_text\">"
                                                              "<text>Café?</text></questiontext>"))
                                    .replace(">a<", ">é<")},
    };
    for (const auto &[format, text] : files) {
        for (const char *encoding : {"UTF-16LE", "UTF-16BE"})
            QTest::addRow("%s %s", qPrintable(interchange::formatname(format)), encoding)
                << int(format) << text << QString::fromLatin1(encoding);
    }
}

void tst_formats::unicodeFilesReadByTheirByteOrderMark()
{
    QFETCH(int, format);
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    QStringEncoder encoder(qPrintable(encoding), QStringEncoder::Flag::WriteBom);
    const ImportResult result = read(encoder.encode(text), Format(format));
    QCOMPARE(problems(result.problems), QStringList());
    QCOMPARE(result.questions, (QList<QuestionRecord>{record("Café?", {"é", "b"}, 1)}));
}

void tst_formats::controlCharactersLeftOut_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("problem");
    QTest::newRow("GIFT") << int(Format::Gift) << QByteArray("Bell\x07\tbell {=a@b ~c}\n")
                          << "1: control characters left out";
    QTest::newRow("Aiken") << int(Format::Aiken)
                           << QByteArray("Bell\x07\tbell\nA) a@b\nB) c\nANSWER: A\n")
                           << "1: control characters left out";
    QTest::newRow("CSV") << int(Format::Csv)
                         << QByteArray("question,answer1,answer2,answer3,answer4,correct\n"
                                       "Bell\x07\tbell,a@b,c,,,1\n")
                         << "2: control characters left out";
    QTest::newRow("JSON") << int(Format::Json)
                          << QByteArray(R"({"questions": [{"question": "Bell\u0007\tbell", )"
                                        R"("answers": ["a\u0000b", "c"], "correct": 1}]})")
                          << "0: control characters left out";
}

void tst_formats::controlCharactersLeftOut()
{
    QFETCH(int, format);
    QFETCH(QByteArray, data);
    QFETCH(QString, problem);
    const ImportResult result = read(data.replace('@', '\0'), Format(format));
    QCOMPARE(result.questions, (QList<QuestionRecord>{record("Bell\tbell", {"ab", "c"}, 1)}));
    QCOMPARE(problems(result.problems), QStringList{problem});
}

// Line ends of plain text read as LF become a book's CR LF; a question text without a format is
// HTML, and its answers follow it.
void tst_formats::moodleXmlPlainTextLinesAndDefaultFormat()
{
    const ImportResult plain =
        read(xmlquestion("<questiontext format=\"markdown\"><text>\n\n  Two\n lines  \n \n</text>"
                         "</questiontext>"),
             Format::MoodleXml);
    QCOMPARE(plain.questions, (QList<QuestionRecord>{record("  Two\r\n lines  ", {"a", "b"}, 1)}));
    const ImportResult html = read(
        xmlquestion("<questiontext><text><![CDATA[<p>Is 2 &lt; 3?</p>]]></text></questiontext>")
            .replace(">a<", "><![CDATA[<b>yes</b>]]><"),
        Format::MoodleXml);
    QCOMPARE(html.questions, (QList<QuestionRecord>{record("Is 2 < 3?", {"yes", "b"}, 1)}));
}

void tst_formats::htmlReducedWithoutLosingText_data()
{
    QTest::addColumn<QByteArray>("html");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("reported");
    QTest::newRow("pre") << QByteArray("Code:<pre>\nint a;\n  a++;</pre>done")
                         << "Code:\r\nint a;\r\n  a++;\r\ndone" << QStringList();
    QTest::newRow("entities")
        << QByteArray("&frac12;&times;&Eacute;&rarr;&pi;&le;&minus;&#150;&#x3C0;&NotEqualTilde;")
        << "½×É????–???"
        << QStringList{"1: characters outside Windows-1252 stored as \"?\": → (U+2192), π "
                       "(U+03C0), ≤ (U+2264), − (U+2212), ≂ (U+2242), ̸ (U+0338)"};
    QTest::newRow("image and sound")
        << QByteArray("See <img src=\"a.png\"> and <audio src=\"a.mp3\"></audio>") << "See and"
        << QStringList{"1: image left out", "1: sound or video left out"};
}

void tst_formats::htmlReducedWithoutLosingText()
{
    QFETCH(QByteArray, html);
    QFETCH(QString, text);
    QFETCH(QStringList, reported);
    const ImportResult result = read(xmlquestion("<questiontext format=\"html\"><text><![CDATA[" +
                                                 html + "]]></text></questiontext>"),
                                     Format::MoodleXml);
    QCOMPARE(result.questions, (QList<QuestionRecord>{record(text, {"a", "b"}, 1)}));
    QCOMPARE(problems(result.problems), reported);
}

void tst_formats::jsonErrorLineCountsLinesNotBytes()
{
    const ImportResult result = read(
        "{\"category\": \"ééééééééééééééé\",\n\"questions\": ]\n\n\n\n\n\n\n\n}", Format::Json);
    QCOMPARE(result.problems.size(), 1);
    QCOMPARE(result.problems[0].line, 2);
}

void tst_formats::corpusImportsAsItsAuthorsMeant_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("category");
    QTest::addColumn<QList<QuestionRecord>>("questions");
    QTest::addColumn<QStringList>("reported");
    const QStringList truefalse = {"True", "False"};
    QTest::newRow("true/false in a category")
        << "moodlexml/html_chars_in_idnumbers.xml"
        << "Alpha" << QList<QuestionRecord>{record("Testing Alpha Question", truefalse, 1)}
        << QStringList();
    QTest::newRow("nested categories")
        << "moodlexml/nested_categories_with_questions.xml"
        << "Iota"
        << QList<QuestionRecord>{record("Testing Iota Question", truefalse, 1),
                                 record("Testing Kappa Question", truefalse, 1),
                                 record("Testing Lambda Question", truefalse, 1),
                                 record("Testing Mu Question", truefalse, 1)}
        << QStringList{"44: another category \"Kappa\": the book keeps \"Iota\"",
                       "55: essay question: skipped",
                       "112: another category \"Lambda\": the book keeps \"Iota\"",
                       "152: another category \"Mu\": the book keeps \"Iota\""};
    QTest::newRow("partial credit")
        << "moodlexml/error_invalid_grades.xml"
        << "" << QList<QuestionRecord>()
        << QStringList{"4: feedback left out", "4: more than four choices: skipped"};
}

void tst_formats::corpusImportsAsItsAuthorsMeant()
{
    QFETCH(QString, file);
    QFETCH(QString, category);
    QFETCH(QList<QuestionRecord>, questions);
    QFETCH(QStringList, reported);
    QFile source(QStringLiteral(TESTDATA "/corpus/") + file);
    QVERIFY(source.open(QIODevice::ReadOnly));
    const auto format = interchange::formatfrompath(file);
    QVERIFY(format);
    const ImportResult result = read(source.readAll(), *format);
    QCOMPARE(result.category, category);
    QCOMPARE(result.questions, questions);
    QCOMPARE(problems(result.problems), reported);
}

QTEST_GUILESS_MAIN(tst_formats)
#include "tst_formats.moc"
