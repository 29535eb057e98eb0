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

#include <algorithm>

namespace results {

namespace {

// Each step brings the tables from the version before it to its own; a file's user_version
// says how many steps it has had.
const char *const migrations[] = {
    "CREATE TABLE books(id INTEGER PRIMARY KEY, hash TEXT NOT NULL UNIQUE, path TEXT,"
    " category TEXT);"
    "CREATE TABLE takers(id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE);"
    // A question is kept once for each number and text it was asked with, not with each answer.
    "CREATE TABLE questions(id INTEGER PRIMARY KEY, book INTEGER NOT NULL, number INTEGER NOT"
    " NULL, hash BLOB NOT NULL, UNIQUE(book, number, hash));"
    "CREATE TABLE attempts(id INTEGER PRIMARY KEY, book INTEGER NOT NULL, taker INTEGER NOT NULL,"
    " started INTEGER NOT NULL, ended INTEGER NOT NULL, options INTEGER NOT NULL,"
    " score INTEGER NOT NULL, maximum INTEGER NOT NULL, finished INTEGER NOT NULL);"
    "CREATE INDEX attemptsofbook ON attempts(book, started);"
    // Small integers only, no rowid: a few bytes per answer.
    "CREATE TABLE answers(attempt INTEGER NOT NULL, position INTEGER NOT NULL, question INTEGER"
    " NOT NULL, first INTEGER NOT NULL, second INTEGER NOT NULL, outcome INTEGER NOT NULL,"
    " ms INTEGER NOT NULL, PRIMARY KEY(attempt, position)) WITHOUT ROWID;",
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

// A hash as a literal of the statement: only hex digits ever reach it.
QString blobliteral(const QByteArray &hash)
{
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(QByteArray::fromHex(hash).toHex()));
}

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
    // A file that is not a database, or a damaged one, is kept aside for whoever wants to look
    // at it; the results start afresh.
    close();
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
    m_lasterror = 0;
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_path);
    // Another program writing the same file makes this one wait its turn, not fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open())
        return fail(db.lastError().driverText() + QStringLiteral(": ") +
                    db.lastError().databaseText());
    m_open = true;
    QSqlQuery query(db);
    const auto run = [&](const QString &sql) {
        if (query.exec(sql))
            return true;
        m_lasterror = query.lastError().nativeErrorCode().toInt();
        m_error = query.lastError().databaseText();
        return false;
    };
    if (!run(QStringLiteral("PRAGMA quick_check")) ||
        (query.next() && query.value(0).toString() != QLatin1String("ok"))) {
        if (m_lasterror == 0)
            m_lasterror = corrupt;
        return fail(m_error.isEmpty() ? QStringLiteral("the file is damaged") : m_error);
    }
    if (!run(QStringLiteral("PRAGMA journal_mode=WAL")) ||
        !run(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return fail(m_error);
    return migrate();
}

bool Store::migrate()
{
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    // The version is read inside the transaction that writes it: two programs starting at
    // once migrate the file once.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(query.lastError().databaseText());
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return fail(query.lastError().databaseText());
    const int version = query.value(0).toInt();
    if (version > schemaversion)
        return fail(QStringLiteral("the file was made by a newer version of the program"));
    for (int step = version; step < schemaversion; ++step) {
        for (const QString &statement :
             QString::fromLatin1(migrations[step]).split(u';', Qt::SkipEmptyParts)) {
            if (!query.exec(statement))
                return fail(query.lastError().databaseText());
        }
    }
    if (!query.exec(QStringLiteral("PRAGMA user_version=%1").arg(schemaversion)) ||
        !query.exec(QStringLiteral("COMMIT")))
        return fail(query.lastError().databaseText());
    return true;
}

bool Store::record(const Attempt &attempt)
{
    if (!open())
        return false;
    QSqlDatabase db = QSqlDatabase::database(m_connection, false);
    QSqlQuery query(db);
    QString why;
    const auto exec = [&](const QString &sql, const QVariantList &values = {}) {
        query.prepare(sql);
        for (const QVariant &value : values)
            query.addBindValue(value);
        if (query.exec())
            return true;
        why = query.lastError().databaseText();
        return false;
    };
    const auto idof = [&](const QString &select, const QString &insert,
                          const QVariantList &values) -> qint64 {
        if (!exec(select, values.mid(0, 1)))
            return 0;
        if (query.next())
            return query.value(0).toLongLong();
        return exec(insert, values) ? query.lastInsertId().toLongLong() : 0;
    };

    // Written before the first read: a second program waits for this one to finish.
    if (!exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(why);
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
              {attempt.bookpath, attempt.category, book}))
        return abandon();
    if (!exec(QStringLiteral("INSERT INTO attempts(book, taker, started, ended, options, score,"
                             " maximum, finished) VALUES(?,?,?,?,?,?,?,?)"),
              {book, taker, attempt.started.toMSecsSinceEpoch(), attempt.ended.toMSecsSinceEpoch(),
               optionbits(attempt.options), attempt.score, attempt.maximum, int(attempt.finished)}))
        return abandon();
    const qint64 id = query.lastInsertId().toLongLong();

    // The book's questions in one read; those not seen before in one statement per many, made
    // of integers and hex digits alone, so that the largest book is kept in a moment.
    QHash<QPair<int, QByteArray>, qint64> questions;
    const auto readquestions = [&] {
        if (!exec(QStringLiteral("SELECT number, hex(hash), id FROM questions WHERE book=?"),
                  {book}))
            return false;
        while (query.next())
            questions.insert({query.value(0).toInt(), query.value(1).toByteArray().toLower()},
                             query.value(2).toLongLong());
        return true;
    };
    const auto insertrows = [&](const QString &head, const QStringList &rows) {
        constexpr int chunk = 500;
        for (qsizetype k = 0; k < rows.size(); k += chunk) {
            if (!exec(head + rows.mid(k, chunk).join(u',')))
                return false;
        }
        return true;
    };
    if (!readquestions())
        return abandon();
    QStringList newquestions;
    for (const Answer &answer : attempt.answers) {
        const QByteArray key = QByteArray::fromHex(answer.questionhash).toHex();
        if (!questions.contains({answer.question, key})) {
            questions.insert({answer.question, key}, 0);
            newquestions.append(
                QStringLiteral("(%1,%2,%3)").arg(book).arg(answer.question).arg(blobliteral(key)));
        }
    }
    if (!newquestions.isEmpty() &&
        (!insertrows(QStringLiteral("INSERT INTO questions(book, number, hash) VALUES"),
                     newquestions) ||
         !readquestions()))
        return abandon();
    QStringList rows;
    rows.reserve(qsizetype(attempt.answers.size()));
    int position = 0;
    for (const Answer &answer : attempt.answers) {
        const qint64 question =
            questions.value({answer.question, QByteArray::fromHex(answer.questionhash).toHex()});
        rows.append(QStringLiteral("(%1,%2,%3,%4,%5,%6,%7)")
                        .arg(id)
                        .arg(++position)
                        .arg(question)
                        .arg(letter(answer.first))
                        .arg(letter(answer.second))
                        .arg(int(answer.outcome))
                        .arg(qRound64(answer.seconds * 1000)));
    }
    if (!insertrows(QStringLiteral("INSERT INTO answers VALUES"), rows))
        return abandon();
    if (!exec(QStringLiteral("COMMIT")))
        return abandon();
    return true;
}

std::vector<AttemptRow> Store::attempts(const QByteArray &bookhash)
{
    std::vector<AttemptRow> list;
    if (!open(Mode::ExistingOnly))
        return list;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT k.name, t.started, t.ended, t.options, t.score, t.maximum, t.finished"
        " FROM attempts t JOIN books b ON b.id=t.book JOIN takers k ON k.id=t.taker"
        " WHERE b.hash=? ORDER BY t.started, t.id"));
    query.addBindValue(QString::fromLatin1(bookhash));
    if (!query.exec()) {
        m_error = query.lastError().databaseText();
        return list;
    }
    while (query.next()) {
        list.push_back({query.value(0).toString(),
                        QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong()),
                        QDateTime::fromMSecsSinceEpoch(query.value(2).toLongLong()),
                        optionsof(query.value(3).toInt()), query.value(4).toInt(),
                        query.value(5).toInt(), query.value(6).toBool()});
    }
    return list;
}

std::vector<QuestionRow> Store::questions(const QByteArray &bookhash)
{
    std::vector<QuestionRow> list;
    if (!open(Mode::ExistingOnly))
        return list;
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.setForwardOnly(true);
    // One pass over the book's answers. x is the question's score; the test's total t is the
    // attempt's score over 10 (10 points right at once, 5 at the second try), and only whole,
    // finished runs (f) count towards the discrimination.
    QString choices;
    for (int letter = 1; letter <= 4; ++letter)
        choices += QStringLiteral(", sum(first=%1)+sum(second=%1)").arg(letter);
    for (int letter = 1; letter <= 4; ++letter)
        choices += QStringLiteral(", sum(first=%1 AND outcome<>1)+sum(second=%1 AND outcome=3)")
                       .arg(letter);
    query.prepare(
        QStringLiteral("SELECT q.number, hex(q.hash), count(*), sum(outcome=1), sum(outcome<=2),"
                       " sum(ms)") +
        choices +
        QStringLiteral(
            ", sum(f), sum(f*x), sum(f*x*x), sum(f*(t-x)), sum(f*(t-x)*(t-x)), sum(f*x*(t-x))"
            " FROM (SELECT a.question, a.first, a.second, a.outcome, a.ms,"
            "  (t.finished AND (t.options & 8)=0) AS f, t.score/10.0 AS t,"
            "  CASE a.outcome WHEN 1 THEN 1.0 WHEN 2 THEN 0.5 ELSE 0.0 END AS x"
            "  FROM books b JOIN attempts t ON t.book=b.id JOIN answers a ON a.attempt=t.id"
            "  WHERE b.hash=?)"
            " JOIN questions q ON q.id=question GROUP BY question ORDER BY q.number, q.id"));
    query.addBindValue(QString::fromLatin1(bookhash));
    if (!query.exec()) {
        m_error = query.lastError().databaseText();
        return list;
    }
    while (query.next()) {
        QuestionRow row;
        row.number = query.value(0).toInt();
        row.questionhash = query.value(1).toByteArray().toLower();
        QuestionCounts &c = row.counts;
        c.asked = query.value(2).toInt();
        c.rightfirst = query.value(3).toInt();
        c.rightatall = query.value(4).toInt();
        c.seconds = query.value(5).toDouble() / 1000;
        for (int letter = 0; letter < 4; ++letter) {
            c.chosen[letter] = query.value(6 + letter).toInt();
            c.wrongchosen[letter] = query.value(10 + letter).toInt();
        }
        c.n = query.value(14).toDouble();
        c.sx = query.value(15).toDouble();
        c.sxx = query.value(16).toDouble();
        c.sy = query.value(17).toDouble();
        c.syy = query.value(18).toDouble();
        c.sxy = query.value(19).toDouble();
        list.push_back(row);
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

QString Store::bookpath(const QByteArray &bookhash)
{
    if (!open(Mode::ExistingOnly))
        return {};
    QSqlQuery query(QSqlDatabase::database(m_connection, false));
    query.prepare(QStringLiteral("SELECT path FROM books WHERE hash=?"));
    query.addBindValue(QString::fromLatin1(bookhash));
    return query.exec() && query.next() ? query.value(0).toString() : QString();
}

} // namespace results
