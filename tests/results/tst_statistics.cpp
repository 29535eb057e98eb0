#include "results/statistics.h"

#include <QTest>

using namespace results;

// Four takers, three questions, each right (1) or not (0):
//          Q1 Q2 Q3  total
//   one     1  1  1    3
//   two     1  0  1    2
//   three   0  1  0    1
//   four    0  0  0    0
// Q1 and Q3: x = 1 1 0 0, rest of the test y = 2 1 1 0; deviations x .5 .5 -.5 -.5,
// y 1 0 0 -1; sum of products 1, of squares 1 and 2: r = 1 / sqrt(2) = 0.7071.
// Q2: x = 1 0 1 0, y = 2 2 0 0; products .5 -.5 -.5 .5 sum to 0: r = 0.
// Each question's variance .5 x .5 = .25, .75 in all; the totals' variance
// (2.25 + .25 + .25 + 2.25) / 4 = 1.25; alpha = 3/2 x (1 - .75 / 1.25) = 0.6.
class tst_statistics : public QObject
{
    Q_OBJECT

private slots:
    void workedexample_data();
    void workedexample();
};

void tst_statistics::workedexample_data()
{
    QTest::addColumn<int>("question");
    QTest::addColumn<double>("facility");
    QTest::addColumn<double>("discrimination");
    QTest::newRow("Q1") << 0 << 50.0 << 0.7071;
    QTest::newRow("Q2") << 1 << 50.0 << 0.0;
    QTest::newRow("Q3") << 2 << 50.0 << 0.7071;
}

void tst_statistics::workedexample()
{
    QFETCH(int, question);
    QFETCH(double, facility);
    QFETCH(double, discrimination);
    TotalSums totals;
    std::vector<QuestionCounts> sums =
        itemsums({{1, 1, 1}, {1, 0, 1}, {0, 1, 0}, {0, 0, 0}}, totals);
    for (QuestionCounts &counts : sums) {
        counts.asked = 4;
        counts.rightfirst = int(counts.sx);
    }
    const QuestionFigures figured = figures(sums[question]);
    QCOMPARE(figured.facility, facility);
    QVERIFY(figured.discrimination);
    QCOMPARE(qRound(*figured.discrimination * 10000) / 10000.0, discrimination);
    QCOMPARE(qRound(cronbachalpha(sums, totals).value_or(-1) * 10000) / 10000.0, 0.6);
}

QTEST_GUILESS_MAIN(tst_statistics)
#include "tst_statistics.moc"
