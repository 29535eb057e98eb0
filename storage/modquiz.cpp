#include "modquiz.h"

#include <algorithm>

namespace modquiz {
namespace {

BookHost *&hostslot()
{
    static BookHost *host = nullptr;
    return host;
}

// The longest header a file can hold: three texts of 65,535 bytes and the count.
constexpr qint64 maxheaderbytes = 3 * (2 + 65535) + 2;

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

void sethost(BookHost *host)
{
    hostslot() = host;
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
    return st.bookfile != 0;
}

bool openbookreadonly()
{
    closebook();
    auto &st = state();
    st.bookfile = platform::openreadonly(st.qbpath);
    return st.bookfile != 0;
}

bool parsebook(QByteArrayView bytes, QBookHeader &header, QList<QuestionRecord> &questions)
{
    qbook::Reader reader(bytes);
    header = reader.readheader();
    questions.clear();
    if (header.count == 0)
        return true;

    // Every record takes at least 11 bytes, which bounds the list by the file's size whatever
    // the header's count says.
    const qint64 bound = std::min<qint64>(reader.size() / 11 + 2, qbook::maxquestions + 2);
    questions.reserve(bound);
    questions.emplace_back(); // index 0 holds no question
    const auto tworemain = [&reader] { return reader.position() < reader.size() - 1; };
    do {
        questions.append(reader.readrecord());
        // The question counter is a signed 16-bit number: the step after record 32,767
        // overflows, so that record is read and the load fails.
        if (questions.size() - 1 > qbook::maxquestions)
            return false;
    } while (tworemain());
    return true;
}

std::optional<QByteArray> serializebook(const QBookHeader &header,
                                        const QList<QuestionRecord> &questions)
{
    const qsizetype last = questions.isEmpty() ? 0 : questions.size() - 1;
    if (last > qbook::maxquestions)
        return std::nullopt;

    QBookHeader written = header;
    written.count = static_cast<qint16>(last);
    qsizetype bound =
        3 * 2 + 2 + header.category.size() + header.author.size() + header.magic.size();
    for (qsizetype k = 1; k <= last; ++k)
        bound += recordbound(questions[k]);

    QByteArray bytes;
    bytes.reserve(bound);
    qbook::appendheader(bytes, written);
    for (qsizetype k = 1; k <= last; ++k)
        qbook::appendrecord(bytes, questions[k]);
    return bytes;
}

bool loadbook()
{
    auto &st = state();
    BookHost *host = hostslot();
    st.qbheader.category.clear();
    st.qbheader.author.clear();
    st.qbheader.magic.clear();
    st.curq = 0;

    const std::optional<QByteArray> bytes = platform::readall(st.bookfile);
    if (!bytes)
        return false;
    const bool complete = parsebook(*bytes, st.qbheader, st.questions);

    if (host && !host->startedwithcommandline() && host->pickerineditmode())
        host->showeditpanel();
    if (!complete)
        return false;

    if (st.qbheader.count == 0) {
        st.questions.clear();
        if (host)
            host->clearboxes();
        return true;
    }

    if (!host) {
        st.curq = 1;
        return true;
    }
    if (host->pickerineditmode())
        host->cmdfirst_Click();
    else
        host->firstquestion();
    return true;
}

bool writeheader()
{
    const auto &st = state();
    return platform::writeat(st.bookfile, 0, qbook::encodeheader(st.qbheader));
}

bool savebook()
{
    auto &st = state();
    closebook();
    const std::optional<QByteArray> bytes = serializebook(st.qbheader, st.questions);
    if (!bytes)
        return false;

    switch (platform::replacefile(st.qbpath, *bytes)) {
    case platform::ReplaceResult::Ok:
        st.qbheader.count = static_cast<qint16>(lastquestion());
        return true;
    case platform::ReplaceResult::OpenFailed:
        if (BookHost *host = hostslot())
            host->showmessage(QStringLiteral("Error Opening file"), QStringLiteral("Error"));
        return false;
    case platform::ReplaceResult::WriteFailed:
        return false;
    }
    return false;
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
    platform::closefile(handle);

    auto &header = state().qbheader;
    header.category.clear();
    header.author.clear();
    header.magic.clear();
    if (!bytes)
        return false;
    header = qbook::Reader(*bytes).readheader();
    return true;
}

} // namespace modquiz
