#include "storage/modquiz.h"

#include "platform/ansi.h"

#include <algorithm>
#include <functional>
#include <new>

namespace modquiz {
namespace {

// The longest header a file can hold: three texts of 65,535 bytes and the count.
constexpr qint64 maxheaderbytes = 3 * (2 + 65535) + 2;

// The longest record: five texts of 65,535 bytes and the correct answer.
constexpr qint64 maxrecordbytes = 5 * (2 + 65535) + 1;

// How much of a file the loader holds at a time; a huge file costs no more memory than this
// and the questions it yields.
constexpr qint64 readwindow = 4 * 1024 * 1024;

// The bytes of a book from position pos on: at least need of them, or all up to the end.
// Nothing when they cannot be read.
using Source = std::function<std::optional<QByteArrayView>(qint64 pos, qint64 need)>;

// The bytes of a file through a window of bounded size that moves forward as it is read.
class FileWindow
{
public:
    FileWindow(platform::FileHandle handle, qint64 total) : m_handle(handle), m_total(total) {}

    std::optional<QByteArrayView> operator()(qint64 pos, qint64 need)
    {
        if (pos >= m_total)
            return QByteArrayView();
        const qint64 end = std::min(pos + need, m_total);
        if (pos < m_start || end > m_start + m_bytes.size()) {
            m_bytes = QByteArray(); // let go of the old window before taking the next
            const qint64 size = std::min(std::max(need, readwindow), m_total - pos);
            std::optional<QByteArray> bytes = platform::readat(m_handle, pos, size);
            if (!bytes || bytes->size() != size)
                return std::nullopt;
            m_bytes = std::move(*bytes);
            m_start = pos;
        }
        return QByteArrayView(m_bytes).sliced(pos - m_start);
    }

private:
    platform::FileHandle m_handle;
    qint64 m_total;
    QByteArray m_bytes;
    qint64 m_start = 0;
};

enum class Parsed { Complete, TooMany, ReadFailed };

// A record given as its bytes (cut short at the end of a damaged file) added to a list: the
// working state's keeps the bytes, a plain list decodes them.
void addrecord(QuestionList &questions, QByteArrayView record)
{
    questions.appendrecordbytes(record);
}

void addrecord(QList<QuestionRecord> &questions, QByteArrayView record)
{
    questions.append(qbook::Reader(record).readrecord());
}

void reserverecords(QuestionList &questions, qsizetype n, qsizetype bytes)
{
    questions.reserve(n, bytes);
}

void reserverecords(QList<QuestionRecord> &questions, qsizetype n, qsizetype)
{
    questions.reserve(n);
}

// The header, then records while at least two unread bytes of the total remain (none when
// count is 0); questions as the working state holds them.
template <typename List>
Parsed parsefrom(qint64 total, const Source &source, QBookHeader &header, List &questions,
                 qint64 *end = nullptr)
{
    questions.clear();
    const std::optional<QByteArrayView> start = source(0, maxheaderbytes);
    if (!start)
        return Parsed::ReadFailed;
    qbook::Reader headerreader(*start);
    header = headerreader.readheader();
    qint64 pos = headerreader.position();
    if (end)
        *end = pos;
    if (header.count == 0)
        return Parsed::Complete;

    // Room for the questions the header counts, but no more than the file can hold (every
    // record takes at least 11 bytes) whatever that count says; a file with more grows it.
    const qint64 bound = std::min<qint64>(
        {total / 11 + 2, qbook::maxquestions + 2, std::max<qint64>(header.count, 0) + 2});
    // The records' bytes too, up to a size past any real book's: a huge file of something
    // else must not take its size in memory before a record is read.
    constexpr qint64 mostreserved = 64 * 1024 * 1024;
    reserverecords(questions, bound, std::min(total - pos + 11, mostreserved));
    questions.emplace_back(); // index 0 holds no question
    do {
        const std::optional<QByteArrayView> bytes = source(pos, maxrecordbytes);
        if (!bytes)
            return Parsed::ReadFailed;
        qbook::Reader reader(*bytes);
        reader.skiprecord();
        addrecord(questions, bytes->first(std::min(reader.position(), bytes->size())));
        pos += reader.position();
        if (end)
            *end = pos;
        // The question counter is a signed 16-bit number: the step after record 32,767
        // overflows, so that record is read and the load fails.
        if (questions.size() - 1 > qbook::maxquestions)
            return Parsed::TooMany;
    } while (pos < total - 1);
    return Parsed::Complete;
}

// How many records the loader would read from the file after the header, counted without
// decoding them, and at most one past the most a book can hold.
qint16 countrecords(qint64 total, const Source &source, qint64 from)
{
    qint16 n = 0;
    qint64 pos = from;
    do {
        const std::optional<QByteArrayView> bytes = source(pos, maxrecordbytes);
        if (!bytes)
            break;
        qbook::Reader reader(*bytes);
        reader.skiprecord();
        pos += reader.position();
        ++n;
    } while (pos < total - 1 && n <= qbook::maxquestions);
    return n;
}

qint16 countrecords(platform::FileHandle handle, qint64 from)
{
    const qint64 total = platform::length(handle);
    return countrecords(total, FileWindow(handle, total), from);
}

std::optional<BookFile> readbook(qint64 total, const Source &source)
{
    BookFile book;
    try {
        qint64 end = 0;
        const Parsed parsed = parsefrom(total, source, book.header, book.questions, &end);
        if (parsed == Parsed::ReadFailed)
            return std::nullopt;
        book.complete = parsed == Parsed::Complete;
        // A short read gives empty texts, so the last record must end on the last byte.
        book.whole = book.complete && (book.header.count == 0 ? end <= total : end == total);
        // The loader reads no records when the count is 0; what follows the header is counted
        // as if the count said otherwise.
        qbook::Reader reader(source(0, maxheaderbytes).value_or(QByteArrayView()));
        (void)reader.readheader();
        if (book.header.count == 0 && reader.position() + 1 < total)
            book.hidden = countrecords(total, source, reader.position());
    } catch (const std::bad_alloc &) {
        return std::nullopt;
    }
    return book;
}

Source wholebytes(QByteArrayView bytes)
{
    return [bytes](qint64 pos, qint64) -> std::optional<QByteArrayView> {
        return pos >= bytes.size() ? QByteArrayView() : bytes.sliced(pos);
    };
}

void takestamp(std::optional<platform::FileStamp> stamp)
{
    auto &st = state();
    st.bookstamp = stamp;
    st.bookstamppath = st.qbpath;
}

// An upper bound of a record's size in bytes, so that a save allocates once: a text never
// needs more bytes than it has UTF-16 units.
qsizetype recordbound(const QuestionRecord &record)
{
    qsizetype n = 2 + record.question.size() + 1;
    for (const QString &answer : record.answers)
        n += 2 + answer.size();
    return n;
}

} // namespace

WorkingState &state()
{
    static WorkingState working;
    return working;
}

void resetstate()
{
    closebook();
    state() = WorkingState{};
}

int lastquestion()
{
    const auto &questions = state().questions;
    return questions.isEmpty() ? 0 : static_cast<int>(questions.size() - 1);
}

void resizequestions(int n)
{
    auto &questions = state().questions;
    if (n <= 0) {
        questions.clear();
        return;
    }
    questions.resize(n + 1);
}

bool openbook()
{
    // One book file at a time: a handle left over from an earlier book would otherwise leak.
    closebook();
    auto &st = state();
    st.bookfile = platform::openreadwrite(st.qbpath);
    if (st.bookfile != 0)
        takestamp(platform::stampof(st.bookfile));
    return st.bookfile != 0;
}

bool openbookreadonly()
{
    closebook();
    auto &st = state();
    st.bookfile = platform::openreadonly(st.qbpath);
    if (st.bookfile != 0)
        takestamp(platform::stampof(st.bookfile));
    return st.bookfile != 0;
}

bool openbookfor(bool editing)
{
    return openbook() || (!editing && openbookreadonly());
}

bool parsebook(QByteArrayView bytes, QBookHeader &header, QList<QuestionRecord> &questions)
{
    return parsefrom(bytes.size(), wholebytes(bytes), header, questions) == Parsed::Complete;
}

std::optional<BookFile> readbookfile(const QString &path, QString *why)
{
    const platform::FileHandle handle = platform::openreadonly(path, why);
    if (handle == 0)
        return std::nullopt;
    const qint64 total = platform::length(handle);
    std::optional<BookFile> book = readbook(total, FileWindow(handle, total));
    platform::closefile(handle);
    if (!book && why)
        *why = QStringLiteral("read failed or out of memory");
    return book;
}

std::optional<BookFile> readbookbytes(QByteArrayView bytes)
{
    return readbook(bytes.size(), wholebytes(bytes));
}

namespace {

// The bytes of a whole book from a list of either kind; bound and put give a record's size
// bound and its bytes.
template <typename List, typename Measure, typename Put>
std::optional<QByteArray> serialize(const QBookHeader &header, const List &questions, Measure bound,
                                    Put put, qsizetype first = 1)
{
    const qsizetype count = std::max<qsizetype>(0, questions.size() - first);
    if (count > qbook::maxquestions)
        return std::nullopt;

    QBookHeader written = header;
    written.count = static_cast<qint16>(count);
    qsizetype size =
        3 * 2 + 2 + header.category.size() + header.author.size() + header.magic.size();
    for (qsizetype k = first; k < questions.size(); ++k)
        size += bound(k);

    QByteArray bytes;
    bytes.reserve(size);
    qbook::appendheader(bytes, written);
    for (qsizetype k = first; k < questions.size(); ++k)
        put(bytes, k);
    return bytes;
}

} // namespace

std::optional<QByteArray> serializebook(const QBookHeader &header,
                                        const QList<QuestionRecord> &questions)
{
    return serialize(
        header, questions, [&](qsizetype k) { return recordbound(questions[k]); },
        [&](QByteArray &out, qsizetype k) { qbook::appendrecord(out, questions[k]); });
}

std::optional<QByteArray> serializebook(const QBookHeader &header, const QuestionList &questions,
                                        qsizetype first)
{
    return serialize(
        header, questions, [&](qsizetype k) { return questions.recordbound(k); },
        [&](QByteArray &out, qsizetype k) { questions.appendrecordto(out, k); }, first);
}

bool loadbook(LoadFailure *why)
{
    auto &st = state();
    const auto fail = [why](LoadFailure reason) {
        if (why)
            *why = reason;
        return false;
    };
    st.qbheader.category.clear();
    st.qbheader.author.clear();
    st.qbheader.magic.clear();
    st.curq = 0;

    const qint64 total = platform::length(st.bookfile);
    if (total < 0)
        return fail(LoadFailure::Unreadable);
    Parsed parsed = Parsed::ReadFailed;
    try {
        FileWindow window(st.bookfile, total);
        parsed = parsefrom(total, std::ref(window), st.qbheader, st.questions);
    } catch (const std::bad_alloc &) {
        // A book larger than the memory: what was read is let go, so the program goes on.
        st.questions = QuestionList();
        return fail(LoadFailure::Unreadable);
    }
    if (parsed == Parsed::ReadFailed)
        return fail(LoadFailure::Unreadable);
    // Counts of 32,768 and more read as negative numbers; a book made elsewhere may hold one.
    if (st.qbheader.count < 0)
        st.qbheader.count = static_cast<qint16>(lastquestion());

    if (parsed == Parsed::TooMany)
        return fail(LoadFailure::TooMany);

    if (st.qbheader.count == 0) {
        st.questions.clear();
        return true;
    }
    st.curq = 1;
    return true;
}

bool loadheader()
{
    auto &st = state();
    const std::optional<QByteArray> bytes = platform::readat(st.bookfile, 0, maxheaderbytes);
    if (!bytes)
        return false;
    st.qbheader = qbook::Reader(*bytes).readheader();
    return true;
}

bool writeheader()
{
    const auto &st = state();
    if (!platform::writeat(st.bookfile, 0, qbook::encodeheader(st.qbheader)))
        return false;
    takestamp(platform::stampof(st.bookfile));
    return true;
}

bool savebook()
{
    auto &st = state();
    closebook();
    const std::optional<QByteArray> bytes = serializebook(st.qbheader, st.questions);
    if (!bytes)
        return false;

    // A file that cannot be created fails like one that cannot be written: the caller's
    // "Error saving file" is the one message.
    if (platform::replacefile(st.qbpath, *bytes) != platform::ReplaceResult::Ok)
        return false;
    st.qbheader.count = static_cast<qint16>(lastquestion());
    takestamp(platform::stampof(st.qbpath));
    return true;
}

bool changedondisk()
{
    const auto &st = state();
    if (!st.bookstamp || st.bookstamppath != st.qbpath)
        return false;
    const std::optional<platform::FileStamp> now = platform::stampof(st.qbpath);
    return now && *now != *st.bookstamp;
}

int overlongtexts()
{
    const auto &st = state();
    // A text never has more bytes than UTF-16 units, so most are judged by their size alone.
    const auto overlong = [](const QString &text) {
        return text.size() > qbook::maxtextbytes &&
               platform::ansilength(text) > qbook::maxtextbytes;
    };
    int n =
        overlong(st.qbheader.category) + overlong(st.qbheader.author) + overlong(st.qbheader.magic);
    for (int k = 1; k <= lastquestion(); ++k) {
        const QuestionRecord &record = st.questions[k];
        n += overlong(record.question);
        for (const QString &answer : record.answers)
            n += overlong(answer);
    }
    return n;
}

void closebook()
{
    auto &st = state();
    platform::closefile(st.bookfile);
    st.bookfile = 0;
}

bool previewheader(const QString &path)
{
    const platform::FileHandle handle = platform::openreadonly(path);
    if (handle == 0)
        return false;
    const std::optional<QByteArray> bytes = platform::readat(handle, 0, maxheaderbytes);

    auto &header = state().qbheader;
    header.category.clear();
    header.author.clear();
    header.magic.clear();
    if (bytes) {
        qbook::Reader reader(*bytes);
        header = reader.readheader();
        if (header.count < 0)
            header.count = countrecords(handle, reader.position());
    }
    platform::closefile(handle);
    return bytes.has_value();
}

std::optional<QBookHeader> storedheader(const QString &path)
{
    const platform::FileHandle handle = platform::openreadonly(path);
    if (handle == 0)
        return std::nullopt;
    const std::optional<QByteArray> bytes = platform::readat(handle, 0, maxheaderbytes);
    platform::closefile(handle);
    if (!bytes)
        return std::nullopt;
    qbook::Reader reader(*bytes);
    const QBookHeader header = reader.readheader();
    if (reader.position() > reader.size())
        return std::nullopt;
    return header;
}

} // namespace modquiz
