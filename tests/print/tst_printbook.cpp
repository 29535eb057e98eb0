// A book printed as an exam: read back from the PDF, every question, answer and key entry is
// there and in order, the key can be left out, and the pages add up.

#include "bookprint.h"
#include "pdftext.h"
#include "testsupport.h"

#include <QLocale>

namespace {

// questions as the working state holds them: index 0 unused.
QList<QuestionRecord> held(const QList<QuestionRecord> &records)
{
    QList<QuestionRecord> questions{QuestionRecord{}};
    questions += records;
    return questions;
}

QString writeexam(const TestEnvironment &env, const QList<QuestionRecord> &records, bool key,
                  const QPageSize &size = QPageSize(QPageSize::A4))
{
    const QString path = env.path(key ? "key.pdf" : "nokey.pdf");
    bookprint::PrintOptions options;
    options.answerkey = key;
    QString error;
    const bool written = bookprint::writepdf(path, makeheader(records.size(), "Geography", "Ann"),
                                             held(records), options, size, &error);
    if (!written)
        QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    return path;
}

} // namespace

class tst_printbook : public QObject
{
    Q_OBJECT

private slots:
    void everyTextInOrder();
    void keyLeftOut();
    void pageCounts_data();
    void pageCounts();
    void questionLongerThanAPage();
    void pageSizeFollowsLocale();
};

void tst_printbook::everyTextInOrder()
{
    TestEnvironment env;
    QList<QuestionRecord> records = makequestions(5);
    records[0].question = QStringLiteral("First line\r\nSecond line");
    records[1].answers[2].clear(); // an empty slot: no "C" for question 2
    records[2].question =
        QStringLiteral("Caf\u00e9 costs \u20ac5 ") + QStringLiteral("word ").repeated(60);
    records[3].correct = 0; // outside 1-4: the key cannot name a letter
    const QString text = pdftext(writeexam(env, records, true));
    const QString flat = flattened(text);

    QStringList expected{"Geography", "Author: Ann", "Questions: 5", "Name:", "Date:"};
    for (int k = 1; k <= 5; ++k) {
        const QuestionRecord &r = records[k - 1];
        expected += QStringLiteral("%1. %2").arg(k).arg(flattened(r.question));
        for (int i = 0; i < 4; ++i) {
            if (!r.answers[i].isEmpty())
                expected += QStringLiteral("%1 %2").arg(QChar('A' + i)).arg(r.answers[i]);
        }
    }
    expected += {"Answer Key", "1 A, 2 B, 3 C, 4 ?, 5 A"};
    QCOMPARE(missinginorder(flat, expected), QString());

    // The stored line break stays a line break; the answer left empty has no letter.
    QVERIFY(text.contains(QRegularExpression("First line *\n *Second line")));
    QVERIFY(!flat.contains("C Answer 2.3"));
    QVERIFY(!flat.contains(QRegularExpression("Answer 2\\.2 C ")));
    QCOMPARE(pdfinfo(env.path("key.pdf"), "Page size"), QStringLiteral("595 x 842 pts (A4)"));
}

void tst_printbook::keyLeftOut()
{
    TestEnvironment env;
    const QList<QuestionRecord> records = makequestions(3);
    const QString withkey = writeexam(env, records, true);
    const QString without = writeexam(env, records, false);
    const QString text = flattened(pdftext(without));
    QCOMPARE(missinginorder(text, {"1. Question 1", "C Answer 3.3"}), QString());
    QVERIFY(!text.contains("Answer Key"));
    QVERIFY(!text.contains("1 A,"));
    QCOMPARE(pdfpages(withkey), pdfpages(without) + 1);
}

void tst_printbook::pageCounts_data()
{
    QTest::addColumn<int>("questions");
    QTest::addColumn<int>("fewest"); // pages without the key
    QTest::addColumn<int>("most");
    // A question takes about six lines: some eight to ten fit on a page.
    QTest::newRow("1") << 1 << 1 << 1;
    QTest::newRow("40") << 40 << 4 << 6;
    QTest::newRow("500") << 500 << 45 << 65;
}

void tst_printbook::pageCounts()
{
    QFETCH(int, questions);
    QFETCH(int, fewest);
    QFETCH(int, most);
    TestEnvironment env;
    const QList<QuestionRecord> records = makequestions(questions);
    const QString path = writeexam(env, records, true);
    const int pages = pdfpages(path);
    const int exam = pdfpages(writeexam(env, records, false));
    QVERIFY2(exam >= fewest && exam <= most, qPrintable(QString::number(exam)));
    // The key of up to 500 questions fits on one page of its own.
    QCOMPARE(pages, exam + 1);

    // A question stays on one page with its answers.
    const QStringList pageTexts = pdftext(path).split(QLatin1Char('\f'));
    const auto pageOf = [&](const QString &what) {
        for (qsizetype p = 0; p < pageTexts.size(); ++p) {
            if (flattened(pageTexts[p]).contains(what))
                return p;
        }
        return qsizetype(-1);
    };
    for (int k = 1; k <= questions; ++k) {
        const qsizetype page = pageOf(QStringLiteral("%1. Question %1 ").arg(k));
        QVERIFY(page >= 0);
        QCOMPARE(pageOf(QStringLiteral("D Answer %1.4 ").arg(k)), page);
    }

    // Every page carries "n / N" at its foot, every question and key entry is there.
    const QString text = flattened(pageTexts.join(QLatin1Char(' ')));
    QStringList expected;
    for (int k = 1; k <= questions; ++k)
        expected += QStringLiteral("%1. Question %1").arg(k);
    QString key;
    for (int k = 1; k <= questions; ++k)
        key += QStringLiteral("%1 %2, ").arg(k).arg(QChar('A' + (k - 1) % 4));
    key.chop(2);
    expected += {"Answer Key", key};
    QCOMPARE(missinginorder(text, expected), QString());
    QStringList feet;
    for (int n = 1; n <= pages; ++n)
        feet += QStringLiteral("%1 / %2").arg(n).arg(pages);
    QCOMPARE(missinginorder(text, feet), QString());
}

void tst_printbook::questionLongerThanAPage()
{
    TestEnvironment env;
    QList<QuestionRecord> records = makequestions(2);
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines += QStringLiteral("Line %1 of a long question").arg(i);
    records[0].question = lines.join("\r\n");
    const QString path = writeexam(env, records, false);
    QVERIFY(pdfpages(path) >= 3);
    QCOMPARE(missinginorder(flattened(pdftext(path)),
                            lines + QStringList{"A Answer 1.1", "2. Question 2"}),
             QString());
}

void tst_printbook::pageSizeFollowsLocale()
{
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(bookprint::defaultpagesize().id(), QPageSize::Letter);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(bookprint::defaultpagesize().id(), QPageSize::A4);
    QLocale::setDefault(old);

    TestEnvironment env;
    const QString path = writeexam(env, makequestions(1), true, QPageSize(QPageSize::Letter));
    QCOMPARE(pdfinfo(path, "Page size"), QStringLiteral("612 x 792 pts (letter)"));
}

QTEST_MAIN(tst_printbook)
#include "tst_printbook.moc"
