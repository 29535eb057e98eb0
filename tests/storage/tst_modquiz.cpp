// Loading and saving whole books through the working state: count against records, the
// question limit, read-only files, atomic saves, the hand-over to the windows and previews.
#include "files.h"
#include "modquiz.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// Records every call of the loader, in order.
class FakeHost final : public modquiz::BookHost
{
public:
    FakeHost(bool commandline, bool editmode) : m_commandline(commandline), m_editmode(editmode)
    {
        modquiz::sethost(this);
    }
    ~FakeHost() override { modquiz::sethost(nullptr); }

    bool startedwithcommandline() const override
    {
        calls.append(QStringLiteral("startedwithcommandline"));
        return m_commandline;
    }
    bool pickerineditmode() override
    {
        calls.append(QStringLiteral("pickerineditmode"));
        return m_editmode;
    }
    void showeditpanel() override { calls.append(QStringLiteral("showeditpanel")); }
    void clearboxes() override { calls.append(QStringLiteral("clearboxes")); }
    // The real panels make question 1 current; so does the fake, to see what the loader does
    // besides.
    void cmdfirst_Click() override
    {
        calls.append(QStringLiteral("cmdfirst_Click"));
        modquiz::state().curq = 1;
    }
    void firstquestion() override
    {
        calls.append(QStringLiteral("firstquestion"));
        modquiz::state().curq = 1;
    }
    mutable QStringList calls;

private:
    bool m_commandline;
    bool m_editmode;
};

QList<QuestionRecord> withslot(const QList<QuestionRecord> &records)
{
    if (records.isEmpty())
        return {};
    return QList<QuestionRecord>{QuestionRecord{}} + records;
}

// Opens and loads path into the working state, with no windows attached.
bool openandload(const QString &path)
{
    modquiz::state().qbpath = path;
    return modquiz::openbook() && modquiz::loadbook();
}

// A file of n minimal records (all texts empty), the smallest way to reach the limits.
QString writeminimal(const TestEnvironment &env, const QString &name, int n)
{
    QByteArray bytes = qbook::encodeheader(makeheader(1));
    bytes.append(QByteArray(qsizetype(n) * 11, '\0'));
    for (qsizetype at = bytes.size() - 1; n > 0; at -= 11, --n)
        bytes[at] = 1;
    const QString path = env.path(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QStringList leftovers(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

class tst_modquiz : public QObject
{
    Q_OBJECT

private slots:
    void goldenFilesSaveBackByteForByte_data();
    void goldenFilesSaveBackByteForByte();
    void countAgainstRecords_data();
    void countAgainstRecords();
    void damagedFilesNeverFail_data();
    void damagedFilesNeverFail();
    void questionLimitOnLoad();
    void questionLimitOnSave();
    void readOnlyFileCannotBeOpened();
    void saveKeepsOldFileWhenDiskIsFull();
    void saveThatCannotCreateItsFileOnlyFails();
    void saveAfterFileWasDeleted();
    void saveKeepsPermissions();
    void saveWithoutQuestionsWritesHeaderOnly();
    void handOver_data();
    void handOver();
    void previewWhileBookIsOpen();
    void previewOfMissingFileKeepsHeader();
    void writeHeaderOfNewBook();
};

void tst_modquiz::goldenFilesSaveBackByteForByte_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("worked example") << "worked-example.Q";
    QTest::newRow("new book") << "new-book.Q";
}

void tst_modquiz::goldenFilesSaveBackByteForByte()
{
    QFETCH(QString, file);
    TestEnvironment env;
    const QString path = env.copydata(file);
    const QByteArray golden = filebytes(path);

    QVERIFY(openandload(path));
    QCOMPARE(modquiz::state().qbheader.magic, QStringLiteral("QB"));
    QVERIFY(modquiz::savebook());
    QCOMPARE(filebytes(path), golden);
    QVERIFY(!platform::isopen(modquiz::state().bookfile));
}

void tst_modquiz::countAgainstRecords_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("records");
    QTest::addColumn<QByteArray>("stray");
    QTest::addColumn<int>("loaded");

    QTest::newRow("count 5, two records") << 5 << 2 << QByteArray() << 2;
    QTest::newRow("count 3, five records") << 3 << 5 << QByteArray() << 5;
    QTest::newRow("count 1, no records") << 1 << 0 << QByteArray() << 1;
    QTest::newRow("count 0, three records") << 0 << 3 << QByteArray() << 0;
    QTest::newRow("one stray byte") << 2 << 2 << QByteArray("\x01", 1) << 2;
    QTest::newRow("two stray bytes") << 2 << 2 << QByteArray("\x01\x00", 2) << 3;
    QTest::newRow("negative count") << -3 << 2 << QByteArray() << 2;
    QTest::newRow("count 0x8000") << -32768 << 2 << QByteArray() << 2;
}

// The file's length, not the header's count, decides how many records are read; the count
// stays as read until the next save writes the true one. A count that reads as negative
// (0x8000 and up) would make no sense in a score or a preview: it becomes the number read.
void tst_modquiz::countAgainstRecords()
{
    QFETCH(int, count);
    QFETCH(int, records);
    QFETCH(QByteArray, stray);
    QFETCH(int, loaded);

    TestEnvironment env;
    const QList<QuestionRecord> written = makequestions(records);
    const QString path = env.writebook("book.Q", makeheader(qint16(count)), written);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write(stray);
    }

    auto &st = modquiz::state();
    QVERIFY(openandload(path));
    QCOMPARE(st.qbheader.count, qint16(count < 0 ? loaded : count));
    QCOMPARE(modquiz::lastquestion(), loaded);
    QCOMPARE(st.curq, qint16(loaded == 0 ? 0 : 1));
    for (int k = 1; k <= std::min(loaded, records); ++k)
        QCOMPARE(st.questions[k], written[k - 1]);
    for (int k = records + 1; k <= loaded; ++k)
        QCOMPARE(st.questions[k], QuestionRecord{});

    QVERIFY(modquiz::savebook());
    QCOMPARE(st.qbheader.count, qint16(loaded));
    QBookHeader saved = makeheader(qint16(loaded));
    QByteArray expected = qbook::encodeheader(saved);
    for (int k = 1; k <= loaded; ++k)
        expected += qbook::encoderecord(st.questions[k]);
    QCOMPARE(filebytes(path), expected);
}

void tst_modquiz::damagedFilesNeverFail_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("loaded");

    QTest::newRow("empty file") << QByteArray() << 0;
    QTest::newRow("three bytes") << QByteArray("\x02\x00Q", 3) << 0;
    QTest::newRow("huge category count") << QByteArray(40, '\xff') << 0;
    QTest::newRow("huge text counts in a record")
        << qbook::encodeheader(makeheader(2)) + QByteArray(40, '\xff') << 1;
    QTest::newRow("header only, count 32,767") << qbook::encodeheader(makeheader(32767)) << 1;
    QTest::newRow("count -32,768 then a stray pair")
        << qbook::encodeheader(makeheader(-32768)) + QByteArray("\xff\xff", 2) << 1;
}

// Short files, huge counts and texts that run past the end load without a crash, and the
// number of questions never exceeds what the bytes can hold.
void tst_modquiz::damagedFilesNeverFail()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, loaded);

    TestEnvironment env;
    const QString path = env.path("damaged.Q");
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QVERIFY(openandload(path));
    QCOMPARE(modquiz::lastquestion(), loaded);
}

// 32,766 questions is the most a book holds; the 32,767th record is read and then fails the
// load, in the manner of a counter that overflows.
void tst_modquiz::questionLimitOnLoad()
{
    TestEnvironment env;
    const QString most = writeminimal(env, "most.Q", qbook::maxquestions);
    QVERIFY(openandload(most));
    QCOMPARE(modquiz::lastquestion(), qbook::maxquestions);
    QCOMPARE(modquiz::state().questions.last().correct, quint8(1));
    QCOMPARE(modquiz::state().curq, qint16(1));
    modquiz::closebook();

    const QString toomany = writeminimal(env, "toomany.Q", qbook::maxquestions + 1);
    QVERIFY(!openandload(toomany));
    QCOMPARE(modquiz::lastquestion(), qbook::maxquestions + 1);
    QCOMPARE(modquiz::state().curq, qint16(0));
}

void tst_modquiz::questionLimitOnSave()
{
    TestEnvironment env;
    auto &st = modquiz::state();
    st.qbpath = env.path("big.Q");
    st.qbheader = makeheader(0);
    st.questions = withslot(makequestions(qbook::maxquestions));
    st.curq = 1;
    QVERIFY(modquiz::savebook());
    QCOMPARE(st.qbheader.count, qint16(qbook::maxquestions));
    const QList<QuestionRecord> saved = st.questions;
    QVERIFY(openandload(st.qbpath));
    QVERIFY(st.questions == saved);
    modquiz::closebook();

    const QByteArray before = filebytes(st.qbpath);
    st.questions.append(makequestion(qbook::maxquestions + 1));
    QVERIFY(!modquiz::savebook());
    QCOMPARE(st.qbheader.count, qint16(qbook::maxquestions));
    QCOMPARE(filebytes(st.qbpath), before);

    st.qbpath = env.path("new.Q");
    QVERIFY(!modquiz::savebook());
    QVERIFY(!QFile::exists(st.qbpath));
}

// A file with no write bit at all is the user's wish not to change it: it cannot be opened
// for writing, even by the superuser, but it can still be opened to be read.
void tst_modquiz::readOnlyFileCannotBeOpened()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    auto &st = modquiz::state();
    st.qbpath = path;
    QVERIFY(!modquiz::openbook());
    QCOMPARE(st.bookfile, 0);
    QCOMPARE(platform::openfilecount(), 0);

    QVERIFY(modquiz::openbookreadonly());
    QVERIFY(modquiz::loadbook());
    QCOMPARE(modquiz::lastquestion(), 1);

    // Saving over it is refused the same way, and the book stays as it was.
    FakeHost host(false, true);
    QVERIFY(!modquiz::savebook());
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(filebytes(path), filebytes(QStringLiteral(TESTDATA "/worked-example.Q")));
}

void tst_modquiz::saveKeepsOldFileWhenDiskIsFull()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    const QByteArray old = filebytes(path);
    auto &st = modquiz::state();
    QVERIFY(openandload(path));
    st.questions += makequestions(20);
    const QList<QuestionRecord> inmemory = st.questions;
    const QBookHeader header = st.qbheader;

    FakeHost host(true, true);
    bool saved = true;
    {
        FileSizeLimit limit(200);
        QVERIFY(limit.ok());
        saved = modquiz::savebook();
    }
    QVERIFY(!saved);
    QCOMPARE(filebytes(path), old);
    QVERIFY(st.questions == inmemory);
    QCOMPARE(st.qbheader, header);
    QVERIFY(!platform::isopen(st.bookfile));
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(leftovers(env.folder()), QStringList{"worked-example.Q"});

    // With room again the same book saves.
    QVERIFY(modquiz::savebook());
    QCOMPARE(st.qbheader.count, qint16(21));
}

// A folder that cannot exist (a path through a regular file): the save fails without a word
// of its own, so that its caller's message is the only one.
void tst_modquiz::saveThatCannotCreateItsFileOnlyFails()
{
    TestEnvironment env;
    QFile plain(env.path("file.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();

    auto &st = modquiz::state();
    st.qbpath = QStringLiteral("file.txt/x.Q");
    st.qbheader = makeheader(7);
    st.questions = withslot(makequestions(2));
    st.curq = 1;
    FakeHost host(false, true);
    QVERIFY(!modquiz::savebook());
    QVERIFY(host.calls.isEmpty());
    QCOMPARE(st.qbheader.count, qint16(7));
    QCOMPARE(modquiz::lastquestion(), 2);

    // Without windows attached the failure is only the result.
    modquiz::sethost(nullptr);
    st.qbpath = env.path("missing-folder/x.Q");
    QVERIFY(!modquiz::savebook());
}

void tst_modquiz::saveAfterFileWasDeleted()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    const QByteArray old = filebytes(path);
    QVERIFY(openandload(path));
    modquiz::closebook();
    QVERIFY(QFile::remove(path));

    QVERIFY(modquiz::savebook());
    QCOMPARE(filebytes(path), old);
    // A second save works although the first closed the file.
    QVERIFY(modquiz::savebook());
    QCOMPARE(filebytes(path), old);
}

void tst_modquiz::saveKeepsPermissions()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    const auto permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                             QFileDevice::ReadGroup | QFileDevice::ReadOther |
                             QFileDevice::ExeGroup;
    QVERIFY(QFile::setPermissions(path, permissions));
    QVERIFY(openandload(path));
    modquiz::state().questions.append(makequestion(2));
    QVERIFY(modquiz::savebook());
    // Only the owner, group and other bits: the "user" ones describe this process.
    QCOMPARE(QFile::permissions(path) & QFileDevice::Permissions::fromInt(0xF0FF), permissions);
    QCOMPARE(modquiz::state().qbheader.count, qint16(2));
}

void tst_modquiz::saveWithoutQuestionsWritesHeaderOnly()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    QVERIFY(openandload(path));
    auto &st = modquiz::state();
    modquiz::resizequestions(0);
    st.curq = 0;
    QVERIFY(modquiz::savebook());
    QCOMPARE(filebytes(path), qbook::encodeheader(QBookHeader{"Art", "Bob", "QB", 0}));
    QCOMPARE(st.qbheader.count, qint16(0));
}

void tst_modquiz::handOver_data()
{
    QTest::addColumn<bool>("commandline");
    QTest::addColumn<bool>("editmode");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("calls");

    const QString started = QStringLiteral("startedwithcommandline");
    const QString mode = QStringLiteral("pickerineditmode");
    QTest::newRow("picker, Edit") << false << true << 1
                                  << QStringList{started, mode, "showeditpanel", mode,
                                                 "cmdfirst_Click"};
    QTest::newRow("picker, Open") << false << false << 1
                                  << QStringList{started, mode, mode, "firstquestion"};
    QTest::newRow("command line, Edit mode")
        << true << true << 1 << QStringList{started, mode, "cmdfirst_Click"};
    QTest::newRow("command line, Open mode")
        << true << false << 1 << QStringList{started, mode, "firstquestion"};
    QTest::newRow("picker, Edit, count 0")
        << false << true << 0 << QStringList{started, mode, "showeditpanel", "clearboxes"};
    QTest::newRow("picker, Open, count 0")
        << false << false << 0 << QStringList{started, mode, "clearboxes"};
    QTest::newRow("command line, count 0")
        << true << true << 0 << QStringList{started, "clearboxes"};
}

void tst_modquiz::handOver()
{
    QFETCH(bool, commandline);
    QFETCH(bool, editmode);
    QFETCH(int, count);
    QFETCH(QStringList, calls);

    TestEnvironment env;
    const QString path =
        env.writebook("book.Q", makeheader(qint16(count)), makequestions(count == 0 ? 2 : 3));
    FakeHost host(commandline, editmode);
    QVERIFY(openandload(path));
    QCOMPARE(host.calls, calls);
    QCOMPARE(modquiz::state().curq, qint16(count == 0 ? 0 : 1));
    QCOMPARE(modquiz::lastquestion(), count == 0 ? 0 : 3);
    QVERIFY(platform::isopen(modquiz::state().bookfile));
}

void tst_modquiz::previewWhileBookIsOpen()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    auto &st = modquiz::state();
    st.qbpath = path;
    QVERIFY(modquiz::openbook());
    st.qbheader = makeheader(9, "Changed", "Someone");

    QVERIFY(modquiz::previewheader(path));
    QCOMPARE(st.qbheader, (QBookHeader{"Art", "Bob", "QB", 1}));
    QVERIFY(platform::isopen(st.bookfile));
    QCOMPARE(platform::openfilecount(), 1);

    // A header-only preview of a damaged file empties what is not there.
    const QString shortfile = env.path("short.Q");
    {
        QFile file(shortfile);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\x03\x00"
                              "Abc\x09\x00",
                              7));
    }
    QVERIFY(modquiz::previewheader(shortfile));
    QCOMPARE(st.qbheader, (QBookHeader{"Abc", {}, {}, 0}));
}

void tst_modquiz::previewOfMissingFileKeepsHeader()
{
    TestEnvironment env;
    auto &st = modquiz::state();
    st.qbheader = makeheader(4, "Kept", "Kept too");
    QVERIFY(!modquiz::previewheader(env.path("missing.Q")));
    QVERIFY(!QFile::exists(env.path("missing.Q")));
    QCOMPARE(st.qbheader, makeheader(4, "Kept", "Kept too"));
    QCOMPARE(platform::openfilecount(), 0);
}

void tst_modquiz::writeHeaderOfNewBook()
{
    TestEnvironment env;
    auto &st = modquiz::state();
    st.qbpath = QStringLiteral("fresh.Q");
    st.qbheader = QBookHeader{"C", "A", "QB", 0};
    QVERIFY(modquiz::openbook());
    QVERIFY(modquiz::writeheader());
    modquiz::closebook();
    QCOMPARE(filebytes(env.path("fresh.Q")), filebytes(QStringLiteral(TESTDATA "/new-book.Q")));

    // Once closed there is nothing to write to.
    QVERIFY(!modquiz::writeheader());
    QVERIFY(!modquiz::loadbook());
}

QTEST_GUILESS_MAIN(tst_modquiz)
#include "tst_modquiz.moc"
