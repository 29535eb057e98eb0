// The per-user settings store: values survive through the file, and the file has the layout
// other programs and earlier versions read.
#include "settings.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

class tst_settings : public QObject
{
    Q_OBJECT

private slots:
    void generalSectionIsTheTopLevel();
    void roundTrip_data();
    void roundTrip();
};

void tst_settings::generalSectionIsTheTopLevel()
{
    TestEnvironment env;
    QVERIFY(env.settingsfile().startsWith(env.folder()));
    platform::writesetting("Tarvel", "General", "onechance", "True");

    const QString text = QString::fromUtf8(filebytes(env.settingsfile()));
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const qsizetype section = lines.indexOf(QStringLiteral("[General]"));
    QVERIFY2(section >= 0, qPrintable(text));
    QVERIFY2(section + 1 < lines.size(), qPrintable(text));
    QCOMPARE(lines[section + 1], QStringLiteral("onechance=True"));
    QVERIFY2(!text.contains(QLatin1String("%General")), qPrintable(text));

    platform::writesetting("Tarvel", "General", "onechance", "False");
    QVERIFY(QString::fromUtf8(filebytes(env.settingsfile())).contains("onechance=False"));
}

void tst_settings::roundTrip_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");

    QTest::newRow("General") << "General"
                             << "onechance"
                             << "False";
    QTest::newRow("other section") << "Window"
                                   << "left"
                                   << "120";
    QTest::newRow("empty value") << "General"
                                 << "name"
                                 << "";
    QTest::newRow("spaces and symbols") << "General"
                                        << "path"
                                        << " a=b; c#d ";
    QTest::newRow("non-ASCII") << "General"
                               << "author" << QStringLiteral("Zo\u00EB \u20AC");
}

void tst_settings::roundTrip()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);

    TestEnvironment env;
    QCOMPARE(platform::readsetting("Tarvel", section, key, "default"), QStringLiteral("default"));
    platform::writesetting("Tarvel", section, key, value);
    QVERIFY(QFile::exists(env.settingsfile()));
    QCOMPARE(platform::readsetting("Tarvel", section, key, "default"), value);
    // Another application and another section do not see it.
    QCOMPARE(platform::readsetting("Other", section, key, "default"), QStringLiteral("default"));
    const QString othersection = section == "General" ? "Elsewhere" : "General";
    QCOMPARE(platform::readsetting("Tarvel", othersection, key, "default"),
             QStringLiteral("default"));
}

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
