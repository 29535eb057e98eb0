// The current folder and the drives, each remembering the folder last used on it.
#include "platform/folders.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace {

QString canonical(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

} // namespace

class tst_folders : public QObject
{
    Q_OBJECT

private slots:
    void setcurrentfolderRefuses_data();
    void setcurrentfolderRefuses();
    void relativeFolders();
    void drivesStartWithRoot();
    void driveRemembersLastFolder();
};

void tst_folders::setcurrentfolderRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "missing";
    QTest::newRow("regular file") << "file.txt";
    QTest::newRow("empty") << "";
}

void tst_folders::setcurrentfolderRefuses()
{
    QFETCH(QString, name);
    TestEnvironment env;
    {
        QFile file(env.path("file.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QString before = platform::currentfolder();
    QVERIFY(!platform::setcurrentfolder(name));
    QCOMPARE(platform::currentfolder(), before);
    QCOMPARE(canonical(before), canonical(env.folder()));
}

void tst_folders::relativeFolders()
{
    TestEnvironment env;
    QVERIFY(QDir(env.folder()).mkpath(QStringLiteral("a/b")));
    QVERIFY(platform::setcurrentfolder(QStringLiteral("a")));
    QVERIFY(platform::setcurrentfolder(QStringLiteral("b")));
    QCOMPARE(canonical(platform::currentfolder()), canonical(env.path("a/b")));
    QVERIFY(platform::setcurrentfolder(QStringLiteral("..")));
    QCOMPARE(canonical(platform::currentfolder()), canonical(env.path("a")));
}

void tst_folders::drivesStartWithRoot()
{
    const QStringList drives = platform::drives();
    QVERIFY(!drives.isEmpty());
    QCOMPARE(drives.first(), QStringLiteral("/"));
    QCOMPARE(drives.count(QStringLiteral("/")), 1);
    QCOMPARE(platform::driveof(QStringLiteral("/")), QStringLiteral("/"));
    QVERIFY(drives.contains(platform::driveof(platform::currentfolder())));
}

void tst_folders::driveRemembersLastFolder()
{
    TestEnvironment env;
    QVERIFY(QDir(env.folder()).mkpath(QStringLiteral("first")));
    QVERIFY(QDir(env.folder()).mkpath(QStringLiteral("second")));
    const QString drive = platform::driveof(env.folder());
    QVERIFY(platform::drives().contains(drive));

    QVERIFY(platform::setcurrentfolder(env.path("first")));
    QVERIFY(platform::setcurrentfolder(env.path("second")));
    QCOMPARE(canonical(platform::drivefolder(drive)), canonical(env.path("second")));

    // Going to another drive and back returns to the folder last used on this one.
    for (const QString &other : platform::drives()) {
        if (other == drive || !platform::setcurrentdrive(other))
            continue;
        QCOMPARE(platform::driveof(platform::currentfolder()), other);
        QVERIFY(platform::setcurrentdrive(drive));
        QCOMPARE(canonical(platform::currentfolder()), canonical(env.path("second")));
        break;
    }

    // A remembered folder that has gone falls back to the drive's root.
    QVERIFY(platform::setcurrentfolder(env.path("first")));
    QVERIFY(QDir(env.path("first")).removeRecursively());
    QCOMPARE(platform::drivefolder(drive), drive);
    QVERIFY(platform::setcurrentfolder(env.folder()));
}

QTEST_GUILESS_MAIN(tst_folders)
#include "tst_folders.moc"
