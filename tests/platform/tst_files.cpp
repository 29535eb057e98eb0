// Numbered file handles: what counts as a normal file, creating, read-only opens, closing.
#include "platform/files.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

class tst_files : public QObject
{
    Q_OBJECT

private slots:
    void normalfileexists_data();
    void normalfileexists();
    void openreadwriteCreatesMissingFile();
    void openreadwriteRefuses_data();
    void openreadwriteRefuses();
    void secondReadOnlyOpenWhileWriting();
    void readAndWriteAtOffsets();
    void closing();
    void replacefileResults();
    void discardedReplacementLeavesNoTrace();
};

void tst_files::normalfileexists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("exists");

    QTest::newRow("regular file") << "book.Q" << true;
    QTest::newRow("regular file, absolute") << "<abs>book.Q" << true;
    QTest::newRow("folder") << "folder" << false;
    QTest::newRow("dot-file") << ".hidden.Q" << false;
    QTest::newRow("FIFO") << "pipe.Q" << false;
    QTest::newRow("device") << "/dev/null" << false;
    QTest::newRow("missing") << "missing.Q" << false;
    QTest::newRow("empty name") << "" << false;
}

void tst_files::normalfileexists()
{
    QFETCH(QString, name);
    QFETCH(bool, exists);

    TestEnvironment env;
    for (const char *file : {"book.Q", ".hidden.Q"}) {
        QFile f(env.path(QString::fromLatin1(file)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(env.folder()).mkdir(QStringLiteral("folder")));
    QCOMPARE(mkfifo(qPrintable(env.path("pipe.Q")), 0644), 0);

    if (name.startsWith(QLatin1String("<abs>")))
        name = env.path(name.mid(5));
    QCOMPARE(platform::normalfileexists(name), exists);
}

void tst_files::openreadwriteCreatesMissingFile()
{
    TestEnvironment env;
    const platform::FileHandle handle = platform::openreadwrite(QStringLiteral("new.Q"));
    QVERIFY(handle != 0);
    QVERIFY(QFile::exists(env.path("new.Q")));
    QCOMPARE(platform::length(handle), 0);
    QCOMPARE(platform::readall(handle), std::optional<QByteArray>(QByteArray()));
    platform::closefile(handle);
}

void tst_files::openreadwriteRefuses_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("no write bit") << "readonly.Q";
    QTest::newRow("folder") << "folder";
    QTest::newRow("through a regular file") << "readonly.Q/x.Q";
    QTest::newRow("missing folder") << "nowhere/x.Q";
    QTest::newRow("name too long") << QString(300, QLatin1Char('n'));
    QTest::newRow("empty name") << "";
}

void tst_files::openreadwriteRefuses()
{
    QFETCH(QString, name);

    TestEnvironment env;
    {
        QFile f(env.path("readonly.Q"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    QVERIFY(QFile::setPermissions(env.path("readonly.Q"), QFileDevice::ReadOwner));
    QVERIFY(QDir(env.folder()).mkdir(QStringLiteral("folder")));

    QCOMPARE(platform::openreadwrite(name), 0);
    QCOMPARE(platform::openfilecount(), 0);
    QCOMPARE(filebytes(env.path("readonly.Q")), QByteArray("keep"));
    QVERIFY(!QFile::exists(env.path("nowhere")));
}

// The book stays open for writing while a preview reads its header through a second handle.
void tst_files::secondReadOnlyOpenWhileWriting()
{
    TestEnvironment env;
    const platform::FileHandle writer = platform::openreadwrite(QStringLiteral("book.Q"));
    QVERIFY(writer != 0);
    QVERIFY(platform::writeat(writer, 0, "written"));

    const platform::FileHandle reader = platform::openreadonly(QStringLiteral("book.Q"));
    QVERIFY(reader != 0);
    QVERIFY(reader != writer);
    QCOMPARE(platform::readall(reader), std::optional<QByteArray>("written"));
    QVERIFY(!platform::writeat(reader, 0, "x"));
    platform::closefile(reader);

    QVERIFY(platform::isopen(writer));
    QCOMPARE(platform::readall(writer), std::optional<QByteArray>("written"));
    QCOMPARE(platform::openreadonly(QStringLiteral("missing.Q")), 0);
    QVERIFY(!QFile::exists(env.path("missing.Q")));
}

void tst_files::readAndWriteAtOffsets()
{
    TestEnvironment env;
    const platform::FileHandle handle = platform::openreadwrite(QStringLiteral("book.Q"));
    QVERIFY(platform::writeat(handle, 0, "0123456789"));
    QVERIFY(platform::writeat(handle, 2, "ab"));
    QCOMPARE(platform::length(handle), 10);

    QCOMPARE(platform::readat(handle, 8, 5), std::optional<QByteArray>("89"));
    QCOMPARE(platform::readat(handle, 20, 5), std::optional<QByteArray>(QByteArray()));
    QCOMPARE(platform::readat(handle, -1, 5), std::nullopt);
    QCOMPARE(platform::readall(handle), std::optional<QByteArray>("01ab456789"));
    QCOMPARE(filebytes(env.path("book.Q")), QByteArray("01ab456789"));
}

void tst_files::closing()
{
    TestEnvironment env;
    const platform::FileHandle first = platform::openreadwrite(QStringLiteral("a.Q"));
    const platform::FileHandle second = platform::openreadwrite(QStringLiteral("b.Q"));
    QCOMPARE(platform::openfilecount(), 2);

    platform::closefile(first);
    platform::closefile(first);
    platform::closefile(0);
    QCOMPARE(platform::openfilecount(), 1);
    QVERIFY(!platform::isopen(first));
    QVERIFY(platform::isopen(second));
    QCOMPARE(platform::length(first), -1);
    QVERIFY(!platform::writeat(first, 0, "x"));
    QCOMPARE(platform::readall(first), std::nullopt);

    // Handles are not reused, so a stale number never reaches another file.
    const platform::FileHandle third = platform::openreadwrite(QStringLiteral("c.Q"));
    QVERIFY(third != first && third != second);

    platform::closeall();
    QCOMPARE(platform::openfilecount(), 0);
    QVERIFY(!platform::isopen(second));
    QVERIFY(!platform::isopen(third));
}

void tst_files::replacefileResults()
{
    TestEnvironment env;
    using platform::ReplaceResult;
    QCOMPARE(platform::replacefile(QStringLiteral("new.Q"), "fresh"), ReplaceResult::Ok);
    QCOMPARE(filebytes(env.path("new.Q")), QByteArray("fresh"));
    // A new file gets the ordinary permissions of new files, not those of a private temporary.
    {
        QFile plain(env.path("plain"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    const auto modebits = QFileDevice::Permissions::fromInt(0xF0FF);
    QCOMPARE(QFile::permissions(env.path("new.Q")) & modebits,
             QFile::permissions(env.path("plain")) & modebits);
    QVERIFY(QFile::remove(env.path("plain")));

    QCOMPARE(platform::replacefile(QStringLiteral("new.Q"), "again"), ReplaceResult::Ok);
    QCOMPARE(filebytes(env.path("new.Q")), QByteArray("again"));

    QVERIFY(QFile::setPermissions(env.path("new.Q"), QFileDevice::ReadOwner));
    QCOMPARE(platform::replacefile(QStringLiteral("new.Q"), "lost"), ReplaceResult::OpenFailed);
    QCOMPARE(filebytes(env.path("new.Q")), QByteArray("again"));

    QVERIFY(QDir(env.folder()).mkdir(QStringLiteral("folder")));
    QCOMPARE(platform::replacefile(QStringLiteral("folder"), "x"), ReplaceResult::OpenFailed);
    QCOMPARE(platform::replacefile(QStringLiteral("new.Q/x.Q"), "x"), ReplaceResult::OpenFailed);
    QCOMPARE(platform::replacefile(QString(), "x"), ReplaceResult::OpenFailed);
    QCOMPARE(QDir(env.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"new.Q"});
}

// A cancelled export: nothing of it is left, not even a part under another name.
void tst_files::discardedReplacementLeavesNoTrace()
{
    TestEnvironment env;
    platform::ReplacingFile file(QStringLiteral("book.pdf"));
    QVERIFY(file.open());
    QCOMPARE(file.device()->write("half"), 4);
    file.discard();
    QVERIFY(QDir(env.folder()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

QTEST_GUILESS_MAIN(tst_files)
#include "tst_files.moc"
