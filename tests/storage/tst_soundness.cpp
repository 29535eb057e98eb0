// The one rule for a sound question, and its reasons in words.
#include "storage/soundness.h"

#include <QTest>

using qbook::Unsound;

class tst_soundness : public QObject
{
    Q_OBJECT

private slots:
    void firstBrokenRuleWithItsReason_data();
    void firstBrokenRuleWithItsReason();
};

void tst_soundness::firstBrokenRuleWithItsReason_data()
{
    QTest::addColumn<QuestionRecord>("record");
    QTest::addColumn<Unsound>("why");
    QTest::addColumn<QString>("reason");
    QTest::newRow("four") << QuestionRecord{"Q", {"a", "b", "c", "d"}, 4} << Unsound::None << "";
    QTest::newRow("true/false, gaps anywhere")
        << QuestionRecord{"Q", {"", "True", "", "False"}, 4} << Unsound::None << "";
    QTest::newRow("a blank is filled")
        << QuestionRecord{"Q", {" ", "b", "", ""}, 1} << Unsound::None << "";
    QTest::newRow("no text") << QuestionRecord{"", {"a", "b", "", ""}, 9} << Unsound::EmptyQuestion
                             << "question text is empty";
    QTest::newRow("one answer") << QuestionRecord{"Q", {"", "", "c", ""}, 3}
                                << Unsound::TooFewAnswers << "fewer than two answers are filled";
    QTest::newRow("right is 0") << QuestionRecord{"Q", {"a", "b", "", ""}, 0}
                                << Unsound::NoRightAnswer << "right answer is 0, not 1 to 4";
    QTest::newRow("right is 5") << QuestionRecord{"Q", {"a", "b", "c", "d"}, 5}
                                << Unsound::NoRightAnswer << "right answer is 5, not 1 to 4";
    QTest::newRow("right names a gap")
        << QuestionRecord{"Q", {"a", "b", "", "d"}, 3} << Unsound::RightAnswerEmpty
        << "right answer 3 names an empty answer slot";
}

void tst_soundness::firstBrokenRuleWithItsReason()
{
    QFETCH(QuestionRecord, record);
    QFETCH(Unsound, why);
    QFETCH(QString, reason);
    QCOMPARE(qbook::soundness(record), why);
    QCOMPARE(qbook::issound(record), why == Unsound::None);
    QCOMPARE(qbook::unsoundreason(why, record.correct), reason);
}

QTEST_GUILESS_MAIN(tst_soundness)
#include "tst_soundness.moc"
