// The per-user settings store: values survive through the file, and the file has the layout
// other programs and earlier versions read.
#include "platform/settings.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>
#include <utime.h>

class tst_settings : public QObject
{
    Q_OBJECT

private slots:
    void generalSectionIsTheTopLevel();
    void roundTrip_data();
    void roundTrip();
    void onlyARegularFileIsTheStore_data();
    void onlyARegularFileIsTheStore();
    void lockThatStaysGivesUp();
    void missingFolderIsMadePrivate();
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

void tst_settings::onlyARegularFileIsTheStore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("pipe") << "pipe";
    QTest::newRow("device") << "device";
    QTest::newRow("link to a device") << "link";
    QTest::newRow("dangling link") << "dangling";
    QTest::newRow("pipe as the lock") << "lock";
    QTest::newRow("100 GB, damaged") << "huge";
}

// Anything but a regular file under the store's name is left alone and the defaults apply: a
// pipe would stop the program until somebody writes to it, and a write would put a regular
// file in place of a device.
void tst_settings::onlyARegularFileIsTheStore()
{
    QFETCH(QString, kind);
    TestEnvironment env;
    const QString store = env.settingsfile();
    if (kind == "pipe")
        QVERIFY(makefifo(store));
    else if (kind == "device")
        QVERIFY(makedevice(store));
    else if (kind == "link")
        QVERIFY(makedevice(env.path("device")) && QFile::link(env.path("device"), store));
    else if (kind == "dangling")
        QVERIFY(QFile::link(env.path("nothing"), store));
    else if (QFile file(store); file.open(QIODevice::WriteOnly) && kind == "lock")
        QVERIFY(makefifo(store + ".lock"));
    else
        QVERIFY(file.resize(100LL << 30));
    struct stat before = {};
    QCOMPARE(lstat(QFile::encodeName(store).constData(), &before), 0);

    const int result = runinchild([] {
        if (platform::readsetting("Tarvel", "General", "onechance", "True") != "True")
            return 1;
        platform::writesetting("Tarvel", "General", "onechance", "False");
        return platform::readsetting("Tarvel", "General", "onechance", "True") == "True" ? 0 : 2;
    });
    QCOMPARE(result, 0);
    struct stat after = {};
    QCOMPARE(lstat(QFile::encodeName(store).constData(), &after), 0);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_ino, before.st_ino);
    QVERIFY(!QFile::exists(env.path("nothing")));
}

// A lock that can be neither taken nor removed (here a folder under the lock's name, old
// enough to pass for the lock of a crashed writer) stops a write after a short wait, not for
// ever; the stored value stays.
void tst_settings::lockThatStaysGivesUp()
{
    TestEnvironment env;
    platform::writesetting("Tarvel", "General", "onechance", "True");
    const QString lock = env.settingsfile() + ".lock";
    QVERIFY(QDir().mkdir(lock));
    const utimbuf old{1000000000, 1000000000};
    QCOMPARE(utime(QFile::encodeName(lock).constData(), &old), 0);

    const int result = runinchild([] {
        platform::writesetting("Tarvel", "General", "onechance", "False");
        return 0;
    });
    QCOMPARE(result, 0);
    QCOMPARE(platform::readsetting("Tarvel", "General", "onechance", "x"), QStringLiteral("True"));
    QVERIFY(QFileInfo(lock).isDir());
}

// A fresh account has no configuration folder: it is made, for the owner alone.
void tst_settings::missingFolderIsMadePrivate()
{
    TestEnvironment env;
    const QString folder = env.path("fresh/config");
    platform::setsettingsfolder(folder);
    platform::writesetting("Tarvel", "General", "onechance", "True");
    QCOMPARE(platform::readsetting("Tarvel", "General", "onechance", "x"), QStringLiteral("True"));
    QCOMPARE(QFileInfo(folder).permissions() & 0x7077, QFileDevice::Permissions(0x7000));
}

QTEST_GUILESS_MAIN(tst_settings)
#include "tst_settings.moc"
