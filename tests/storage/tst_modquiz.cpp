// Loading and saving whole books through the working state: count against records, the
// question limit, read-only files, atomic saves, the hand-over to the windows and previews.
#include "platform/files.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

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
    void listHoldsRoomForTheBookOnly();
    void questionsChangeAsAList();
    void readOnlyFileCannotBeOpened();
    void saveKeepsOldFileWhenDiskIsFull();
    void saveThatCannotCreateItsFileOnlyFails();
    void saveAfterFileWasDeleted();
    void saveKeepsPermissions();
    void saveKeepsOwnerGroupAndMode();
    void saveOverFileSizeLimitFails();
    void saveWritesOnlyRegularFiles();
    void changesBehindTheProgram();
    void hugeFilesAreReadInPart();
    void windowedLoadReadsAsTheWholeFile();
    void outOfMemoryIsAReadFailure();
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

void tst_modquiz::listHoldsRoomForTheBookOnly()
{
    TestEnvironment env;
    QVERIFY(openandload(env.writebook("thousand.Q", makeheader(1000), makequestions(1000))));
    QCOMPARE(modquiz::lastquestion(), 1000);
    QVERIFY(modquiz::state().questions.heldbytes() < filebytes(env.path("thousand.Q")).size() * 2);
    modquiz::closebook();
}

void tst_modquiz::questionsChangeAsAList()
{
    QList<QuestionRecord> model = withslot(makequestions(200));
    QuestionList list = model;
    QuestionRecord odd = makequestion(7);
    odd.question = QStringLiteral("\u4e2d\u6587");          // not in the code page: kept as typed
    odd.answers[1] = QString(qbook::maxtextbytes + 1, 'x'); // cut only when written
    // Enough replaced records that their bytes are let go on the way.
    for (int round = 0; round < 2000; ++round) {
        const QuestionRecord record = round % 7 == 0 ? odd : makequestion(round, 1 + round % 4);
        list.set(1 + round % 200, record);
        model[1 + round % 200] = record;
    }
    list.insert(5, odd);
    model.insert(5, odd);
    list.removeAt(9);
    model.removeAt(9);
    QVERIFY(list == model);
    QCOMPARE(*modquiz::serializebook(makeheader(0), list),
             *modquiz::serializebook(makeheader(0), model));
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
    QVERIFY(!modquiz::savebook());
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
    QVERIFY(!modquiz::savebook());
    QCOMPARE(st.qbheader.count, qint16(7));
    QCOMPARE(modquiz::lastquestion(), 2);

    // The failure is only the result.
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
    QTest::addColumn<int>("count");
    QTest::newRow("questions") << 1;
    QTest::newRow("count 0") << 0;
}

// The loader shows nothing: it leaves question 1 current, or none for a count of 0, and the
// caller decides which panel takes the book.
void tst_modquiz::handOver()
{
    QFETCH(int, count);

    TestEnvironment env;
    const QString path =
        env.writebook("book.Q", makeheader(qint16(count)), makequestions(count == 0 ? 2 : 3));
    QVERIFY(openandload(path));
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

// The superuser saving somebody else's book gives it back to its owner, group and mode, the
// set-group-ID bit included.
void tst_modquiz::saveKeepsOwnerGroupAndMode()
{
    if (geteuid() != 0)
        QSKIP("needs the superuser to give a file to another user");
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    const QByteArray name = QFile::encodeName(path);
    QCOMPARE(chown(name.constData(), 4321, 8765), 0);
    QCOMPARE(chmod(name.constData(), 02664), 0);
    QVERIFY(openandload(path));
    modquiz::state().questions.append(makequestion(2));
    QVERIFY(modquiz::savebook());

    struct stat saved = {};
    QCOMPARE(stat(name.constData(), &saved), 0);
    QCOMPARE(saved.st_uid, uid_t(4321));
    QCOMPARE(saved.st_gid, gid_t(8765));
    QCOMPARE(saved.st_mode & 07777, mode_t(02664));
    QCOMPARE(modquiz::state().qbheader.count, qint16(2));
}

// A file-size limit (ulimit -f, a quota) makes the write fail as a full disk does, instead of
// ending the program with the book unsaved.
void tst_modquiz::saveOverFileSizeLimitFails()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    const QByteArray old = filebytes(path);
    QVERIFY(openandload(path));
    modquiz::state().questions += makequestions(50);

    const int result = runinchild([] {
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = 512;
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
        return modquiz::savebook() ? 1 : 0;
    });
    QCOMPARE(result, 0); // the child lived, and the save failed
    QCOMPARE(filebytes(path), old);
    QCOMPARE(leftovers(env.folder()), QStringList{"worked-example.Q"});
}

// Save puts a regular file only where a regular file or nothing was: a pipe, a device, or a
// link to either stays as it was. A link to a regular file stays a link, and its target gets
// the book.
void tst_modquiz::saveWritesOnlyRegularFiles()
{
    TestEnvironment env;
    auto &st = modquiz::state();
    st.qbheader = makeheader(2);
    st.questions = withslot(makequestions(2));
    st.curq = 1;
    QVERIFY(makefifo(env.path("pipe")));
    QVERIFY(makedevice(env.path("device")));
    QVERIFY(QFile::link(env.path("pipe"), env.path("topipe.Q")));
    QVERIFY(QFile::link(env.path("device"), env.path("todevice.Q")));

    for (const char *name : {"pipe", "device", "topipe.Q", "todevice.Q"}) {
        st.qbpath = env.path(name);
        QVERIFY2(!modquiz::savebook(), name);
    }
    struct stat node = {};
    QCOMPARE(stat(QFile::encodeName(env.path("pipe")).constData(), &node), 0);
    QVERIFY(S_ISFIFO(node.st_mode));
    QCOMPARE(stat(QFile::encodeName(env.path("device")).constData(), &node), 0);
    QVERIFY(S_ISCHR(node.st_mode));
    QVERIFY(QFileInfo(env.path("topipe.Q")).isSymLink());
    QVERIFY(QFileInfo(env.path("todevice.Q")).isSymLink());

    const QString target = env.copydata("worked-example.Q");
    QVERIFY(QFile::link(target, env.path("tobook.Q")));
    st.qbpath = env.path("tobook.Q");
    QVERIFY(modquiz::savebook());
    QVERIFY(QFileInfo(env.path("tobook.Q")).isSymLink());
    QCOMPARE(filebytes(target), *modquiz::serializebook(st.qbheader, st.questions));
}

// Another program that writes or replaces the book after it was opened is noticed before a
// save; what this program itself created or saved is not.
void tst_modquiz::changesBehindTheProgram()
{
    TestEnvironment env;
    const QString path = env.copydata("worked-example.Q");
    const QByteArray name = QFile::encodeName(path);
    auto &st = modquiz::state();
    QVERIFY(openandload(path));
    QVERIFY(!modquiz::changedondisk());

    // Same size, same time: only the file's identity tells.
    struct stat before = {};
    QCOMPARE(stat(name.constData(), &before), 0);
    const QString other = env.path("other");
    QVERIFY(QFile::copy(path, other));
    const timespec times[2] = {before.st_atim, before.st_mtim};
    QCOMPARE(utimensat(AT_FDCWD, QFile::encodeName(other).constData(), times, 0), 0);
    QCOMPARE(rename(QFile::encodeName(other).constData(), name.constData()), 0);
    QVERIFY(modquiz::changedondisk());

    QVERIFY(modquiz::savebook());
    QVERIFY(!modquiz::changedondisk());
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::Append));
        file.write("x");
    }
    QVERIFY(modquiz::changedondisk());

    // A book removed behind the program has nothing left to lose.
    QVERIFY(QFile::remove(path));
    QVERIFY(!modquiz::changedondisk());

    // A new book's header is this program's own writing.
    st.qbpath = env.path("new.Q");
    QVERIFY(modquiz::openbook());
    QVERIFY(modquiz::writeheader());
    QVERIFY(!modquiz::changedondisk());
}

// A huge file costs what its header and the records actually read cost, not its size: a
// sparse file of 100 GB loads or fails at once.
void tst_modquiz::hugeFilesAreReadInPart()
{
    TestEnvironment env;
    constexpr qint64 huge = Q_INT64_C(100) * 1024 * 1024 * 1024;
    const auto sparse = [&](const QString &name, const QBookHeader &header) {
        QFile file(env.path(name));
        if (!file.open(QIODevice::WriteOnly) || !file.write(qbook::encodeheader(header)) ||
            !file.resize(huge))
            return QString();
        return file.fileName();
    };
    auto &st = modquiz::state();

    // Count 0: the header alone is read.
    const QString empty = sparse("empty.Q", makeheader(0));
    if (empty.isEmpty())
        QSKIP("the temporary folder holds no sparse file of 100 GB");
    QVERIFY(openandload(empty));
    QCOMPARE(st.qbheader, makeheader(0));
    QCOMPARE(modquiz::lastquestion(), 0);

    // Zero bytes are empty records: the question limit is reached after 32,767 of them.
    const QString zeros = sparse("zeros.Q", makeheader(5));
    QVERIFY(!openandload(zeros));
    QCOMPARE(modquiz::lastquestion(), 32767);
}

// The loader reads large books piece by piece; records that straddle its pieces, texts of
// every length up to 65,535 bytes and a last record cut short read as from the whole file.
void tst_modquiz::windowedLoadReadsAsTheWholeFile()
{
    TestEnvironment env;
    QByteArray bytes = qbook::encodeheader(makeheader(3));
    quint32 seed = 7;
    const auto next = [&seed] { return seed = seed * 1103515245 + 12345; };
    for (int k = 0; k < 90; ++k) {
        for (int text = 0; text < 5; ++text) {
            const auto n = static_cast<quint16>(next() >> 16);
            bytes += char(n & 0xFF);
            bytes += char(n >> 8);
            bytes += QByteArray(n, char(0x80 + k));
        }
        bytes += char(1 + k % 4);
    }
    bytes.chop(1000);
    QVERIFY(bytes.size() > 3 * 4 * 1024 * 1024);
    QFile file(env.path("large.Q"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(bytes, header, questions));
    QVERIFY(openandload(file.fileName()));
    QCOMPARE(modquiz::lastquestion(), 90);
    QCOMPARE(modquiz::state().qbheader, header);
    QVERIFY(modquiz::state().questions == questions);
}

// A book that does not fit in memory is a failed load, not the end of the program.
void tst_modquiz::outOfMemoryIsAReadFailure()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("the address sanitizer reserves more address space than any limit leaves");
#endif
    TestEnvironment env;
    // Each record holds five texts of 65,535 zero bytes, sparse on disk, 640 KB in memory.
    constexpr int records = 400;
    {
        QFile file(env.path("big.Q"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        qint64 at = file.write(qbook::encodeheader(makeheader(1)));
        for (int k = 0; k < records; ++k) {
            for (int text = 0; text < 5; ++text, at += 2 + 65535)
                QVERIFY(file.seek(at) && file.write("\xff\xff", 2) == 2);
            QVERIFY(file.seek(at++) && file.write("\1", 1) == 1);
        }
    }
    const int result = runinchild([&] {
        // Room for the window the loader reads through, not for the questions.
        QFile statm(QStringLiteral("/proc/self/statm"));
        if (!statm.open(QIODevice::ReadOnly))
            return 2;
        const rlim_t used =
            statm.readAll().split(' ').first().toULongLong() * sysconf(_SC_PAGESIZE);
        rlimit limit{};
        getrlimit(RLIMIT_AS, &limit);
        limit.rlim_cur = used + 96 * 1024 * 1024;
        if (setrlimit(RLIMIT_AS, &limit) != 0)
            return 3;
        const bool loaded = openandload(env.path("big.Q"));
        return !loaded && modquiz::lastquestion() == 0 ? 0 : 1;
    });
    QCOMPARE(result, 0);
}

QTEST_GUILESS_MAIN(tst_modquiz)
#include "tst_modquiz.moc"
