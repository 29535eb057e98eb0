// Text conversion for quiz book files: Windows-1252, every byte surviving a round trip.
#include "platform/ansi.h"

#include <QTest>

class tst_ansi : public QObject
{
    Q_OBJECT

private slots:
    void everyByteRoundTrips();
    void everyByteAtEveryPlace();
    void codePageCharacters_data();
    void codePageCharacters();
    void outsideTheCodePage_data();
    void outsideTheCodePage();
    void appendCutsAtByteLimit_data();
    void appendCutsAtByteLimit();
};

void tst_ansi::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    const QString text = platform::fromansi(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(platform::toansi(text), all);
    QCOMPARE(platform::ansilength(text), 256);
    // No two bytes may share a character, or one of them would not come back.
    for (int i = 0; i < 256; ++i) {
        for (int j = i + 1; j < 256; ++j)
            QVERIFY2(text[i] != text[j], qPrintable(QStringLiteral("%1 and %2").arg(i).arg(j)));
    }
}

// Long texts are tested several bytes at a time and short ones byte by byte: each byte must
// convert the same at every place in a text, whichever way it is looked at.
void tst_ansi::everyByteAtEveryPlace()
{
    for (int b = 0; b < 256; ++b) {
        const QString alone = platform::fromansi(QByteArray(1, static_cast<char>(b)));
        QCOMPARE(alone.size(), 1);
        // Only 0x80..0x9F differ from Latin-1, less the five the code page leaves undefined.
        const bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
        const bool differs = b >= 0x80 && b < 0xA0 && !undefined;
        QCOMPARE(alone[0] != QChar(b), differs);
        for (int place = 0; place < 19; ++place) {
            QByteArray bytes(19, 'a');
            bytes[place] = static_cast<char>(b);
            const QString text = platform::fromansi(bytes);
            QVERIFY2(text[place] == alone[0] &&
                         text.count(QLatin1Char('a')) == (b == 'a' ? 19 : 18),
                     qPrintable(QStringLiteral("byte %1 at %2").arg(b).arg(place)));
            QCOMPARE(platform::toansi(text), bytes);
            QByteArray appended("x");
            platform::appendansi(appended, text, 100);
            QCOMPARE(appended, "x" + bytes);
        }
    }
}

void tst_ansi::codePageCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ASCII") << "Quiz 1?" << QByteArray("Quiz 1?");
    QTest::newRow("euro sign") << QStringLiteral("\u20AC5")
                               << QByteArray("\x80"
                                             "5");
    QTest::newRow("curly quotes and dash")
        << QStringLiteral("\u201Chi\u201D \u2013") << QByteArray("\x93hi\x94 \x96");
    QTest::newRow("Latin-1 letters")
        << QStringLiteral("caf\u00E9 \u00DF\u00FF") << QByteArray("caf\xE9 \xDF\xFF");
    QTest::newRow("trade mark, S caron, Y diaeresis")
        << QStringLiteral("\u2122\u0160\u0178") << QByteArray("\x99\x8A\x9F");
}

void tst_ansi::codePageCharacters()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(platform::toansi(text), bytes);
    QCOMPARE(platform::fromansi(bytes), text);
    QCOMPARE(platform::ansilength(text), bytes.size());
}

void tst_ansi::outsideTheCodePage_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("Greek") << QStringLiteral("\u03B1=1") << QByteArray("?=1");
    QTest::newRow("CJK") << QStringLiteral("\u6F22\u5B57") << QByteArray("??");
    QTest::newRow("surrogate pair is one character")
        << QStringLiteral("a\U0001F600b") << QByteArray("a?b");
    QTest::newRow("two pairs") << QStringLiteral("\U0001F600\U0001D11E") << QByteArray("??");
    QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + "x" << QByteArray("?x");
    QTest::newRow("lone low surrogate") << "x" + QString(QChar(0xDE00)) << QByteArray("x?");
    QTest::newRow("in a long text")
        << QStringLiteral("abcdefgh\u0101ijklmnop") << QByteArray("abcdefgh?ijklmnop");
    QTest::newRow("high byte 0x80")
        << QStringLiteral("abcdefgh\u8041ijk") << QByteArray("abcdefgh?ijk");
    QTest::newRow("C1 control without a place in the code page")
        << QStringLiteral("ab\u0085cdefgh") << QByteArray("ab?cdefgh");
}

void tst_ansi::outsideTheCodePage()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(platform::toansi(text), bytes);
    QCOMPARE(platform::ansilength(text), bytes.size());
}

void tst_ansi::appendCutsAtByteLimit_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxbytes");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("fits") << "abc" << 3 << QByteArray("abc");
    QTest::newRow("cut") << "abcdef" << 4 << QByteArray("abcd");
    QTest::newRow("nothing") << "abc" << 0 << QByteArray();
    QTest::newRow("cut after code page characters")
        << QStringLiteral("\u20AC\u2122xyz") << 3 << QByteArray("\x80\x99x");
    // A pair is one byte, so two pairs and a letter fit in three bytes.
    QTest::newRow("pairs count one byte each")
        << QStringLiteral("\U0001F600\U0001F600z!") << 3 << QByteArray("??z");
    QTest::newRow("cut inside the pairs")
        << QStringLiteral("\U0001F600\U0001F600\U0001F600") << 2 << QByteArray("??");
}

// Texts are appended to a book being built; what is already there stays.
void tst_ansi::appendCutsAtByteLimit()
{
    QFETCH(QString, text);
    QFETCH(int, maxbytes);
    QFETCH(QByteArray, bytes);

    QByteArray out("head");
    platform::appendansi(out, text, maxbytes);
    QCOMPARE(out, "head" + bytes);
}

QTEST_GUILESS_MAIN(tst_ansi)
#include "tst_ansi.moc"
