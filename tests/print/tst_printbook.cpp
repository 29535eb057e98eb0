// A book printed as an exam: read back from the PDF, every question, answer and key entry is
// there and in order, questions stay whole on a page, the key can be left out.

#include "print/bookprint.h"
#include "tests/print/pdftext.h"
#include "tests/support/testsupport.h"

#include <QLocale>

namespace {

// Writes the records (held as the working state holds them: index 0 unused) as a PDF.
QString writeexam(const TestEnvironment &env, const QList<QuestionRecord> &records, bool key)
{
    const QString path = env.path(key ? "key.pdf" : "nokey.pdf");
    QString error;
    if (!bookprint::writepdf(path, makeheader(records.size(), "Geography", "Ann"),
                             QList<QuestionRecord>{{}} + records, {key}, QPageSize(QPageSize::A4),
                             &error))
        QTest::qFail(qPrintable(error), __FILE__, __LINE__);
    return path;
}

} // namespace

class tst_printbook : public QObject
{
    Q_OBJECT

private slots:
    void everyTextInOrder();
    void pageCounts_data();
    void pageCounts();
    void questionLongerThanAPage();
    void pageSizeFollowsLocale();
    void keyIsAGridAndFileNameTitlesAnUntitledBook();
};

void tst_printbook::everyTextInOrder()
{
    TestEnvironment env;
    QList<QuestionRecord> records = makequestions(5);
    records[0].question = "First line\r\nSecond line";
    records[1].answers[2].clear(); // an empty slot: no "C" for question 2
    records[2].question =
        QStringLiteral("Caf\u00e9 costs \u20ac5 ") + QString("word ").repeated(60);
    records[3].correct = 0; // outside 1-4: the key cannot name a letter
    const QString text = pdftext(writeexam(env, records, true));

    QStringList expected{"Geography", "Author: Ann", "Questions: 5", "Name:", "Date:"};
    for (int k = 1; k <= 5; ++k) {
        const QuestionRecord &r = records[k - 1];
        expected += QString("%1. %2").arg(k).arg(r.question.simplified());
        for (int i = 0; i < 4; ++i) {
            if (!r.answers[i].isEmpty())
                expected += QString("%1 %2").arg(QChar('A' + i)).arg(r.answers[i]);
        }
    }
    expected += {"Answer Key", "1 A 2 B 3 C 4 ? 5 A"};
    QCOMPARE(missinginorder(text.simplified(), expected), QString());
    QVERIFY(text.contains("First line\nSecond line"));
    QVERIFY(text.contains("B Answer 2.2\nD Answer 2.4"));
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
    const QString exam = writeexam(env, records, false);
    const int pages = pdfinfo(path, "Pages").toInt();
    const int exampages = pdfinfo(exam, "Pages").toInt();
    QVERIFY2(exampages >= fewest && exampages <= most, qPrintable(QString::number(exampages)));
    QCOMPARE(pages, exampages + 1); // up to 500 entries fit on the key's page
    QVERIFY(!pdftext(exam).contains("Answer Key"));

    const QStringList pagetexts = pdftext(path).split('\f');
    const auto pageof = [&](const QString &what) {
        for (qsizetype p = 0; p < pagetexts.size(); ++p) {
            if (pagetexts[p].simplified().contains(what))
                return p;
        }
        return qsizetype(-1);
    };
    QStringList expected;
    QString key;
    for (int k = 1; k <= questions; ++k) {
        // Whole on one page with its answers.
        const qsizetype page = pageof(QString("%1. Question %1 ").arg(k));
        QVERIFY(page >= 0);
        QCOMPARE(pageof(QString("D Answer %1.4 ").arg(k)), page);
        expected += QString("%1. Question %1").arg(k);
        key += QString("%1 %2 ").arg(k).arg(QChar('A' + (k - 1) % 4));
    }
    key.chop(1);
    expected += {"Answer Key", key};
    const QString text = pagetexts.join(' ').simplified();
    QCOMPARE(missinginorder(text, expected), QString());
    QStringList feet; // "n / N", N counted before the first page was drawn
    for (int n = 1; n <= pages; ++n)
        feet += QString("%1 / %2").arg(n).arg(pages);
    QCOMPARE(missinginorder(text, feet), QString());
}

void tst_printbook::questionLongerThanAPage()
{
    TestEnvironment env;
    QList<QuestionRecord> records = makequestions(2);
    QStringList lines;
    for (int i = 1; i <= 150; ++i)
        lines += QString("Line %1 of a long question").arg(i);
    records[0].question = lines.join("\r\n");
    const QString path = writeexam(env, records, false);
    QVERIFY(pdfinfo(path, "Pages").toInt() >= 3);
    QCOMPARE(missinginorder(pdftext(path).simplified(),
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
}

void tst_printbook::keyIsAGridAndFileNameTitlesAnUntitledBook()
{
    TestEnvironment env;
    const QString path = env.path("exam.pdf");
    QVERIFY(bookprint::writepdf(path, bookprint::titled(makeheader(120, ""), "/a/capitals.Q"),
                                QList<QuestionRecord>{{}} + makequestions(120), {},
                                QPageSize(QPageSize::A4)));
    QVERIFY(pdftext(path).startsWith("capitals.Q\n"));
    // Read down each column: 1, then 13 and 25 beside it at the tops of the next columns.
    const QString key = poppler("pdftotext", {"-layout", "-f", "4", path, "-"});
    QVERIFY2(key.contains(QRegularExpression("\\n *1 ?A +13 A +25 A +37 A ")), qPrintable(key));
}

QTEST_MAIN(tst_printbook)
#include "tst_printbook.moc"
