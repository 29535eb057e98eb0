// The byte layout of quiz book files: counted texts, header and record, and the reader's
// behaviour on damaged or short input.
#include "storage/qbook.h"
#include "storage/soundness.h"
#include "tests/support/testsupport.h"

#include <QTest>

namespace {

QByteArray u16(quint16 value)
{
    QByteArray bytes;
    bytes.append(static_cast<char>(value & 0xFF));
    bytes.append(static_cast<char>(value >> 8));
    return bytes;
}

QByteArray counted(const QByteArray &text)
{
    return u16(static_cast<quint16>(text.size())) + text;
}

} // namespace

class tst_qbook : public QObject
{
    Q_OBJECT

private slots:
    void goldenLayouts_data();
    void goldenLayouts();
    void countedTextCutAt32767Bytes_data();
    void countedTextCutAt32767Bytes();
    void countsReadUnsigned_data();
    void countsReadUnsigned();
    void readingPastTheEnd_data();
    void readingPastTheEnd();
    void strayBytesAdvanceAsRead();
    void soundQuestionRule_data();
    void soundQuestionRule();
};

void tst_qbook::goldenLayouts_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QBookHeader>("header");
    QTest::addColumn<QList<QuestionRecord>>("records");

    QuestionRecord why;
    why.question = QStringLiteral("Why?");
    why.answers = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                   QStringLiteral("D")};
    why.correct = 2;
    QTest::newRow("worked example, 35 bytes")
        << "worked-example.Q" << QBookHeader{"Art", "Bob", "QB", 1} << QList<QuestionRecord>{why};
    QTest::newRow("new book, 12 bytes")
        << "new-book.Q" << QBookHeader{"C", "A", "QB", 0} << QList<QuestionRecord>{};
}

// The golden files are written by hand from the format's description; encoding the records
// must give them byte for byte, and reading them must give the records back.
void tst_qbook::goldenLayouts()
{
    QFETCH(QString, file);
    QFETCH(QBookHeader, header);
    QFETCH(QList<QuestionRecord>, records);

    const QByteArray golden = filebytes(QStringLiteral(TESTDATA "/") + file);
    QVERIFY(!golden.isEmpty());

    QByteArray encoded = qbook::encodeheader(header);
    for (const QuestionRecord &record : records)
        encoded += qbook::encoderecord(record);
    QCOMPARE(encoded, golden);

    qbook::Reader reader(golden);
    QCOMPARE(reader.readheader(), header);
    for (const QuestionRecord &record : records)
        QCOMPARE(reader.readrecord(), record);
    QCOMPARE(reader.position(), golden.size());
}

void tst_qbook::countedTextCutAt32767Bytes_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("written");

    QTest::newRow("32,766") << 32766 << 32766;
    QTest::newRow("32,767") << 32767 << 32767;
    QTest::newRow("32,768") << 32768 << 32767;
    QTest::newRow("65,535") << 65535 << 32767;
    QTest::newRow("70,000") << 70000 << 32767;
}

void tst_qbook::countedTextCutAt32767Bytes()
{
    QFETCH(int, length);
    QFETCH(int, written);

    QString text(length, QLatin1Char('x'));
    text[0] = QLatin1Char('<');
    QByteArray out;
    qbook::appendtext(out, text);
    QCOMPARE(out.size(), 2 + written);
    QCOMPARE(out.left(2), u16(static_cast<quint16>(written)));

    qbook::Reader reader(out);
    QCOMPARE(reader.readtext(), text.left(written));
}

// Counts of 32,768 and more are never written, but a file from elsewhere may hold them: they
// are byte counts of up to 65,535, not negative numbers.
void tst_qbook::countsReadUnsigned_data()
{
    QTest::addColumn<int>("length");
    QTest::newRow("32,768") << 32768;
    QTest::newRow("40,000") << 40000;
    QTest::newRow("65,535") << 65535;
}

void tst_qbook::countsReadUnsigned()
{
    QFETCH(int, length);

    const QByteArray text(length, 'q');
    const QByteArray bytes = counted(text) + counted("after");
    qbook::Reader reader(bytes);
    QCOMPARE(reader.readtext().size(), length);
    QCOMPARE(reader.readtext(), QStringLiteral("after"));
    QCOMPARE(reader.position(), bytes.size());

    // The header's count of questions is the one signed number of the format.
    const QByteArray header = counted("C") + counted("A") + counted("QB") + u16(0xFFFF);
    QCOMPARE(qbook::Reader(header).readheader().count, qint16(-1));
}

void tst_qbook::readingPastTheEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QBookHeader>("header");
    QTest::addColumn<qint64>("position");

    QTest::newRow("empty") << QByteArray() << QBookHeader{} << qint64(8);
    QTest::newRow("one byte") << QByteArray("\x05", 1) << QBookHeader{} << qint64(8);
    QTest::newRow("text count without its bytes") << QByteArray("\x03\x00"
                                                                "Ar",
                                                                4)
                                                  << QBookHeader{} << qint64(11);
    QTest::newRow("ends after the author")
        << counted("Art") + counted("Bob") << QBookHeader{"Art", "Bob", {}, 0} << qint64(14);
    QTest::newRow("ends inside the count")
        << counted("Art") + counted("Bob") + counted("QB") + QByteArray("\x07", 1)
        << QBookHeader{"Art", "Bob", "QB", 0} << qint64(16);
    QTest::newRow("huge count, few bytes")
        << u16(0xFFFF) + "abc" << QBookHeader{} << qint64(2 + 65535 + 6);
}

// A short or damaged file never fails: what is missing reads as empty texts and zero numbers,
// and the position moves on as though the bytes were there.
void tst_qbook::readingPastTheEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QBookHeader, header);
    QFETCH(qint64, position);

    qbook::Reader reader(bytes);
    QCOMPARE(reader.readheader(), header);
    QCOMPARE(reader.position(), position);

    const qint64 before = reader.position();
    QCOMPARE(reader.readrecord(), QuestionRecord{});
    QCOMPARE(reader.position(), before + 11);
}

// Two stray bytes after a record are read as the count of one more question, whose text is
// not there: the record is empty, and the position passes the end so that loading stops.
void tst_qbook::strayBytesAdvanceAsRead()
{
    const QuestionRecord first = makequestion(1, 3);
    const QByteArray bytes = qbook::encoderecord(first) + u16(4);
    qbook::Reader reader(bytes);
    QCOMPARE(reader.readrecord(), first);
    QCOMPARE(reader.readrecord(), QuestionRecord{});
    QCOMPARE(reader.position(), bytes.size() + 4 + 4 * 2 + 1);
}

void tst_qbook::soundQuestionRule_data()
{
    QTest::addColumn<QuestionRecord>("record");
    QTest::addColumn<QString>("reason"); // empty for a sound question
    QTest::newRow("gaps anywhere") << QuestionRecord{"Q", {"", " ", "", "F"}, 4} << "";
    QTest::newRow("no text") << QuestionRecord{"", {"a", "b"}, 9} << "question text is empty";
    QTest::newRow("one") << QuestionRecord{"Q", {"", "b"}, 2}
                         << "fewer than two answers are filled";
    QTest::newRow("gap") << QuestionRecord{"Q", {"a", "b"}, 3}
                         << "right answer 3 names an empty answer slot";
}

void tst_qbook::soundQuestionRule()
{
    QFETCH(QuestionRecord, record);
    QTEST(qbook::unsoundreason(qbook::soundness(record), record.correct), "reason");
}

QTEST_GUILESS_MAIN(tst_qbook)
#include "tst_qbook.moc"
