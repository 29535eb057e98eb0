#include "results/store.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QVariant>
#include <QtEndian>

#include <algorithm>

#include <sqlite3.h>

namespace results {

namespace {

// Each step brings the tables from the version before it to its own; a file's user_version
// says how many steps it has had.
const char *const migrations[] = {
    "CREATE TABLE books(id INTEGER PRIMARY KEY, hash TEXT NOT NULL UNIQUE, path TEXT,"
    " category TEXT);"
    "CREATE TABLE takers(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);"
    // A question is kept once for each number and text it was asked with, not with each answer
    // (a writer reads the book's questions before it adds one, inside its transaction).
    "CREATE TABLE questions(id INTEGER PRIMARY KEY, book INTEGER NOT NULL, number INTEGER NOT"
    " NULL, hash BLOB NOT NULL);"
    "CREATE INDEX questionsofbook ON questions(book);"
    "CREATE TABLE attempts(id INTEGER PRIMARY KEY, book INTEGER NOT NULL, taker INTEGER NOT NULL,"
    " started INTEGER NOT NULL, ended INTEGER NOT NULL, options INTEGER NOT NULL,"
    " score INTEGER NOT NULL, maximum INTEGER NOT NULL, finished INTEGER NOT NULL);"
    "CREATE INDEX attemptsofbook ON attempts(book, started);"
    // The answers of an attempt, packed (answerbytes each, in asking order): a row per
    // attempt keeps the largest book's run one write, and the window reads them in one pass.
    "CREATE TABLE answers(attempt INTEGER PRIMARY KEY, packed BLOB NOT NULL);",
};
constexpr int schemaversion = int(std::size(migrations));

// SQLite's codes for a file that is no database, or a damaged one.
constexpr int notadatabase = 26;
constexpr int corrupt = 11;

enum OptionBit { OneChance = 1, ShuffleQuestions = 2, ShuffleAnswers = 4, Review = 8 };

int optionbits(const Options &options)
{
    return (options.onechance ? OneChance : 0) | (options.shufflequestions ? ShuffleQuestions : 0) |
           (options.shuffleanswers ? ShuffleAnswers : 0) | (options.review ? Review : 0);
}

Options optionsof(int bits)
{
    return {(bits & OneChance) != 0, (bits & ShuffleQuestions) != 0, (bits & ShuffleAnswers) != 0,
            (bits & Review) != 0};
}

int letter(char choice)
{
    return choice >= 'A' && choice <= 'D' ? choice - 'A' + 1 : 0;
}

// One packed answer: the question's id (4 bytes), the first and second choice (0 none, 1 to 4
// for A to D: 3 bits each), the outcome, and tenths of seconds (at most 65,535), little-endian.
constexpr int answerbytes = 8;

void packanswer(char *out, quint32 question, const Answer &answer)
{
    qToLittleEndian(question, out);
    out[4] = char(letter(answer.first) | letter(answer.second) << 3);
    out[5] = char(answer.outcome);
    const qint64 tenths = std::clamp<qint64>(qRound64(answer.seconds * 10), 0, 65535);
    qToLittleEndian(quint16(tenths), out + 6);
}

// The first 8 bytes of a question's hash, read from its hex digits: enough to tell the texts a
// number was asked with apart.
quint64 hashkey(QByteArrayView hex)
{
    quint64 key = 0;
    for (qsizetype k = 0; k < 16 && k < hex.size(); ++k) {
        const char c = hex[k];
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : 0;
        key = key << 4 | quint64(digit);
    }
    return key;
}

// The same from the hash's bytes.
quint64 rawkey(const void *blob, int size)
{
    quint64 key = 0;
    for (int k = 0; k < 8 && k < size; ++k)
        key = key << 8 | static_cast<const uchar *>(blob)[k];
    return key;
}

// A statement of SQLite's own, finalized when it goes.
class Statement
{
public:
    Statement(sqlite3 *handle, const char *sql)
    {
        sqlite3_prepare_v2(handle, sql, -1, &m_statement, nullptr);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    operator sqlite3_stmt *() const { return m_statement; }
    explicit operator bool() const { return m_statement != nullptr; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

QString connectionname()
{
    static QAtomicInteger<quint64> counter;
    return QStringLiteral("results-%1").arg(counter.fetchAndAddRelaxed(1));
}

} // namespace

QString Store::defaultpath()
{
    // The quiz program's own data folder, whichever program asks.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Quiz/results.sqlite");
}

Store::Store(const QString &path) : m_path(path), m_connection(connectionname())
{}

Store::~Store()
{
    close();
}

void Store::close()
{
    if (!QSqlDatabase::contains(m_connection))
        return;
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
    m_open = false;
}

bool Store::fail(const QString &reason)
{
    m_error = reason;
    close();
    return false;
}

bool Store::damaged() const
{
    return m_lasterror == notadatabase || m_lasterror == corrupt;
}

bool Store::open(Mode mode)
{
    if (m_open)
        return true;
    m_error.clear();
    const QFileInfo info(m_path);
    // As for a book: only a regular file is written, also at the end of a link; its owner and
    // mode stay, as SQLite writes the file in place.
    if (info.exists() && !info.isFile())
        return fail(QStringLiteral("%1 is not a regular file").arg(m_path));
    if (!info.exists() && mode == Mode::ExistingOnly)
        return fail(QStringLiteral("no results have been kept"));
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot make the folder %1").arg(info.absolutePath()));
    if (opendatabase())
        return true;
    if (!damaged())
        return false;
    close();
    return movedamagedaside();
}

bool Store::movedamagedaside()
{
    // A file that is not a database, or a damaged one, is kept aside for whoever wants to look
    // at it; the results start afresh.
    const QString aside =
        m_path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHHmmss"));
    if (!QFile::rename(m_path, aside))
        return fail(QStringLiteral("%1 is damaged and cannot be moved aside").arg(m_path));
    for (const char *suffix : {"-wal", "-shm"})
        QFile::remove(m_path + QLatin1String(suffix));
    m_movedaside = aside;
    return opendatabase();
}

bool Store::opendatabase()
{
    // The connection's objects end before a failure removes it.
    m_lasterror = 0;
    QString why = connectdatabase();
    if (why.isEmpty())
        why = migrate();
    return why.isEmpty() || fail(why);
}

QString Store::connectdatabase()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    // Another program writing the same file makes this one wait its turn, not fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open())
        return db.lastError().driverText() + QStringLiteral(": ") + db.lastError().databaseText();
    m_open = true;
    QSqlQuery query(db);
    // A file that is no database, or whose first pages are damaged, fails the first statement;
    // damage further in fails the write that meets it (record()).
    for (const char *sql : {"SELECT count(*) FROM sqlite_master", "PRAGMA journal_mode=WAL",
                            "PRAGMA synchronous=NORMAL"}) {
        if (!query.exec(QLatin1String(sql))) {
            m_lasterror = query.lastError().nativeErrorCode().toInt();
            return query.lastError().databaseText();
        }
    }
    return {};
}

QString Store::migrate()
{
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    // The version is read inside the transaction that writes it: two programs starting at
    // once migrate the file once.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")) ||
        !query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return query.lastError().databaseText();
    const int version = query.value(0).toInt();
    if (version > schemaversion)
        return QStringLiteral("the file was made by a newer version of the program");
    for (int step = version; step < schemaversion; ++step) {
        for (const QString &statement :
             QString::fromLatin1(migrations[step]).split(u';', Qt::SkipEmptyParts)) {
            if (!query.exec(statement))
                return query.lastError().databaseText();
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version=%1").arg(schemaversion)) ||
        !query.exec(QStringLiteral("COMMIT")))
        return query.lastError().databaseText();
    return {};
}

bool Store::record(const Attempt &attempt)
{
    if (!open())
        return false;
    if (write(attempt))
        return true;
    if (!damaged())
        return false;
    // Damage found only now, in pages the opening did not read: the file goes aside as it
    // would at opening, and the attempt starts the new one.
    close();
    return movedamagedaside() && write(attempt);
}

bool Store::write(const Attempt &attempt)
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
    QSqlQuery query(db);
    QString why;
    const auto failed = [&](int code, const QString &text) {
        m_lasterror = code;
        why = text;
        return false;
    };
    const auto exec = [&](const QString &sql, const QVariantList &values = {}) {
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (query.exec())
            return true;
        return failed(query.lastError().nativeErrorCode().toInt(),
                      query.lastError().databaseText());
    };
    const auto idof = [&](const QString &select, const QString &insert,
                          const QVariantList &values) -> qint64 {
        if (!exec(select, values.mid(0, 1)))
            return 0;
        if (query.next())
            return query.value(0).toLongLong();
        return exec(insert, values) ? query.lastInsertId().toLongLong() : 0;
    };

    m_lasterror = 0;
    // Written before the first read: a second program waits for this one to finish.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        m_error = why;
        return false;
    }
    const auto abandon = [&] {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        m_error = why;
        return false;
    };
    const QString hash = QString::fromLatin1(attempt.bookhash);
    const qint64 book =
        idof(QStringLiteral("SELECT id FROM books WHERE hash=?"),
             QStringLiteral("INSERT INTO books(hash, path, category) VALUES(?,?,?)"),
             {hash, attempt.bookpath, attempt.category});
    const qint64 taker =
        idof(QStringLiteral("SELECT id FROM takers WHERE name=?"),
             QStringLiteral("INSERT INTO takers(name) VALUES(?)"), {attempt.taker});
    if (book == 0 || taker == 0 ||
        !exec(QStringLiteral("UPDATE books SET path=?, category=? WHERE id=?"),
              {attempt.bookpath, attempt.category, book}) ||
        !exec(QStringLiteral("INSERT INTO attempts(book, taker, started, ended, options, score,"
                             " maximum, finished) VALUES(?,?,?,?,?,?,?,?)"),
              {book, taker, attempt.started.toMSecsSinceEpoch(), attempt.ended.toMSecsSinceEpoch(),
               optionbits(attempt.options), attempt.score, attempt.maximum, int(attempt.finished)}))
        return abandon();
    const qint64 id = query.lastInsertId().toLongLong();

    // The questions and answers go through SQLite's own statements: Qt's per-row cost would
    // take most of the time the largest book has to be kept in.
    Statement select(handle, "SELECT number, hash, id FROM questions WHERE book=?1");
    Statement insertquestion(handle,
                             "INSERT INTO questions(book, number, hash) VALUES(?1, ?2, ?3)");
    Statement insertanswers(handle, "INSERT INTO answers VALUES(?1, ?2)");
    if (!select || !insertquestion || !insertanswers) {
        failed(sqlite3_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
        return abandon();
    }
    QHash<QPair<int, quint64>, quint32> questions;
    sqlite3_bind_int64(select, 1, book);
    while (sqlite3_step(select) == SQLITE_ROW)
        questions.insert({sqlite3_column_int(select, 0),
                          rawkey(sqlite3_column_blob(select, 1), sqlite3_column_bytes(select, 1))},
                         quint32(sqlite3_column_int64(select, 2)));
    const auto stepped = [&](sqlite3_stmt *statement) {
        const int code = sqlite3_step(statement);
        sqlite3_reset(statement);
        return code == SQLITE_DONE ||
               failed(sqlite3_errcode(handle), QString::fromUtf8(sqlite3_errmsg(handle)));
    };
    QByteArray packed(qsizetype(attempt.answers.size()) * answerbytes, Qt::Uninitialized);
    char *out = packed.data();
    for (const Answer &answer : attempt.answers) {
        const QPair<int, quint64> key{answer.question, hashkey(answer.questionhash)};
        quint32 question = questions.value(key, 0);
        if (question == 0) {
            const QByteArray raw = QByteArray::fromHex(answer.questionhash);
            sqlite3_bind_int64(insertquestion, 1, book);
            sqlite3_bind_int(insertquestion, 2, answer.question);
            sqlite3_bind_blob(insertquestion, 3, raw.constData(), int(raw.size()), SQLITE_STATIC);
            if (!stepped(insertquestion))
                return abandon();
            question = quint32(sqlite3_last_insert_rowid(handle));
            questions.insert(key, question);
        }
        packanswer(out, question, answer);
        out += answerbytes;
    }
    sqlite3_bind_int64(insertanswers, 1, id);
    sqlite3_bind_blob(insertanswers, 2, packed.constData(), int(packed.size()), SQLITE_STATIC);
    if (!stepped(insertanswers) || !exec(QStringLiteral("COMMIT")))
        return abandon();
    return true;
}

std::vector<AttemptRow> Store::attempts(const QByteArray &bookhash)
{
    std::vector<AttemptRow> list;
    if (!open(Mode::ExistingOnly))
        return list;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
    Statement select(handle,
                     "SELECT k.name, t.started, t.ended, t.options, t.score, t.maximum, t.finished"
                     " FROM attempts t JOIN books b ON b.id=t.book JOIN takers k ON k.id=t.taker"
                     " WHERE b.hash=?1 ORDER BY t.started, t.id");
    if (!select) {
        m_error = QString::fromUtf8(sqlite3_errmsg(handle));
        return list;
    }
    sqlite3_bind_text(select, 1, bookhash.constData(), int(bookhash.size()), SQLITE_STATIC);
    // Times in UTC: turning 10,000 of them into local time would cost more than reading them.
    const auto time = [&](int column) {
        return QDateTime::fromMSecsSinceEpoch(sqlite3_column_int64(select, column), Qt::UTC);
    };
    // A taker's name is made once and shared by their attempts.
    QHash<QByteArray, QString> takers;
    while (sqlite3_step(select) == SQLITE_ROW) {
        const QByteArray name(reinterpret_cast<const char *>(sqlite3_column_text(select, 0)),
                              sqlite3_column_bytes(select, 0));
        auto taker = takers.find(name);
        if (taker == takers.end())
            taker = takers.insert(name, QString::fromUtf8(name));
        list.push_back({*taker, time(1), time(2), optionsof(sqlite3_column_int(select, 3)),
                        sqlite3_column_int(select, 4), sqlite3_column_int(select, 5),
                        sqlite3_column_int(select, 6) != 0});
    }
    return list;
}

std::vector<QuestionRow> Store::questions(const QByteArray &bookhash)
{
    std::vector<QuestionRow> list;
    if (!open(Mode::ExistingOnly))
        return list;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    sqlite3 *handle = *static_cast<sqlite3 *const *>(db.driver()->handle().constData());
    const QByteArray hash = bookhash;
    // The book's questions in number order, then one pass over its attempts' answers.
    Statement select(handle, "SELECT q.id, q.number, hex(q.hash) FROM books b JOIN questions q"
                             " ON q.book=b.id WHERE b.hash=?1 ORDER BY q.number, q.id");
    Statement answers(handle, "SELECT t.score, t.finished, t.options, a.packed FROM books b"
                              " JOIN attempts t ON t.book=b.id JOIN answers a ON a.attempt=t.id"
                              " WHERE b.hash=?1");
    if (!select || !answers) {
        m_error = QString::fromUtf8(sqlite3_errmsg(handle));
        return list;
    }
    // A book's question ids are few and close together: a table from id to row.
    std::vector<std::pair<quint32, size_t>> ids;
    sqlite3_bind_text(select, 1, hash.constData(), int(hash.size()), SQLITE_STATIC);
    while (sqlite3_step(select) == SQLITE_ROW) {
        ids.emplace_back(quint32(sqlite3_column_int64(select, 0)), list.size());
        QuestionRow row;
        row.number = sqlite3_column_int(select, 1);
        row.questionhash = QByteArray(static_cast<const char *>(sqlite3_column_blob(select, 2)),
                                      sqlite3_column_bytes(select, 2))
                               .toLower();
        list.push_back(row);
    }
    quint32 lowest = UINT32_MAX, highest = 0;
    for (const auto &[id, row] : ids) {
        lowest = std::min(lowest, id);
        highest = std::max(highest, id);
    }
    std::vector<qsizetype> rows(ids.empty() ? 0 : size_t(highest - lowest) + 1, -1);
    for (const auto &[id, row] : ids)
        rows[id - lowest] = qsizetype(row);
    sqlite3_bind_text(answers, 1, hash.constData(), int(hash.size()), SQLITE_STATIC);
    while (sqlite3_step(answers) == SQLITE_ROW) {
        // t is the attempt's total, its score over 10 (10 points right at once, 5 at the second
        // try); only finished whole-book attempts count towards the discrimination.
        const double t = sqlite3_column_int(answers, 0) / 10.0;
        const bool whole =
            sqlite3_column_int(answers, 1) != 0 && (sqlite3_column_int(answers, 2) & Review) == 0;
        const auto *packed = static_cast<const uchar *>(sqlite3_column_blob(answers, 3));
        const int count = sqlite3_column_bytes(answers, 3) / answerbytes;
        for (int k = 0; k < count; ++k, packed += answerbytes) {
            const quint32 id = qFromLittleEndian<quint32>(packed);
            if (id < lowest || id > highest || rows[id - lowest] < 0)
                continue;
            QuestionCounts &c = list[size_t(rows[id - lowest])].counts;
            const int first = packed[4] & 7, second = packed[4] >> 3 & 7;
            const auto outcome = Outcome(packed[5]);
            ++c.asked;
            c.rightfirst += outcome == Outcome::RightFirst;
            c.rightatall += outcome == Outcome::RightFirst || outcome == Outcome::RightSecond;
            c.seconds += qFromLittleEndian<quint16>(packed + 6) / 10.0;
            if (first >= 1 && first <= 4) {
                ++c.chosen[first - 1];
                c.wrongchosen[first - 1] += outcome != Outcome::RightFirst;
            }
            if (second >= 1 && second <= 4) {
                ++c.chosen[second - 1];
                c.wrongchosen[second - 1] += outcome == Outcome::Wrong;
            }
            if (!whole)
                continue;
            // The rest of the test, y, is the total less the question.
            const double x = itemscore(outcome);
            c.addpair(x, t - x);
        }
    }
    return list;
}

TotalSums Store::totals(const QByteArray &bookhash)
{
    TotalSums sums;
    if (!open(Mode::ExistingOnly))
        return sums;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral(
        "SELECT count(*), sum(score/10.0), sum(score/10.0*score/10.0) FROM attempts t"
        " JOIN books b ON b.id=t.book WHERE b.hash=? AND t.finished AND (t.options & 8)=0"));
    query.addBindValue(QString::fromLatin1(bookhash));
    if (query.exec() && query.next())
        sums = {query.value(0).toDouble(), query.value(1).toDouble(), query.value(2).toDouble()};
    return sums;
}

} // namespace results
