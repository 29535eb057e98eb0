// Load and save speed of the largest book (32,766 questions) against plain reads and writes of
// the same bytes, and the peak memory of the run.
// Usage: bench_storage [folder] [repeats] [cold]
// With "cold" (root only) the reads are measured once more from the disk: the page cache is
// dropped before each of them.
#include "files.h"
#include "modquiz.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <unistd.h>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

// A text of exactly n bytes that differs from question to question.
QString filler(const QString &start, int n)
{
    QString text = start;
    while (text.size() < n)
        text += QStringLiteral(" lorem ipsum dolor sit amet");
    text.truncate(n);
    return text;
}

QList<QuestionRecord> makebook()
{
    QList<QuestionRecord> questions(qbook::maxquestions + 1);
    for (int k = 1; k <= qbook::maxquestions; ++k) {
        QuestionRecord &record = questions[k];
        record.question = filler(QStringLiteral("Question %1:").arg(k), 60);
        for (int i = 0; i < 4; ++i)
            record.answers[i] = filler(QStringLiteral("Answer %1.%2").arg(k).arg(i + 1), 20);
        record.correct = static_cast<quint8>(k % 4 + 1);
    }
    return questions;
}

// Best time of repeats runs, in seconds; a run that fails ends the benchmark. setup runs
// before each run, untimed.
double best(int repeats, const std::function<bool()> &run, const char *what,
            const std::function<void()> &setup = {})
{
    double fastest = 1e9;
    for (int i = 0; i < repeats; ++i) {
        if (setup)
            setup();
        const auto start = Clock::now();
        if (!run()) {
            std::fprintf(stderr, "%s failed\n", what);
            std::exit(1);
        }
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

void report(const char *what, qint64 bytes, double seconds)
{
    std::printf("%-34s %8.2f ms %9.1f MB/s\n", what, seconds * 1e3, bytes / seconds / 1e6);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTemporaryDir temporary(arguments.size() > 1 ? arguments.at(1) + QStringLiteral("/bench-XXXXXX")
                                                 : QString());
    const int repeats = arguments.size() > 2 ? arguments.at(2).toInt() : 5;
    if (!temporary.isValid() || repeats < 1)
        return 2;
    const QString rawpath = temporary.filePath(QStringLiteral("raw.Q"));
    const QString bookpath = temporary.filePath(QStringLiteral("book.Q"));

    auto &st = modquiz::state();
    st.qbheader = QBookHeader{QStringLiteral("Benchmark"), QStringLiteral("Quiz team"),
                              QStringLiteral("QB"), 0};
    st.questions = makebook();
    st.curq = 1;
    const QList<QuestionRecord> book = st.questions;
    const QByteArray bytes = *modquiz::serializebook(st.qbheader, st.questions);
    const qint64 size = bytes.size();
    std::printf("book: %d questions, %lld bytes, folder %s, best of %d\n", qbook::maxquestions,
                static_cast<long long>(size), qPrintable(temporary.path()), repeats);

    const auto rawwrite = [&](bool sync) {
        QFile file(rawpath);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        if (file.write(bytes) != size || !file.flush())
            return false;
        return !sync || ::fsync(file.handle()) == 0;
    };
    const double write = best(
        repeats, [&] { return rawwrite(false); }, "raw write");
    const double writesync = best(
        repeats, [&] { return rawwrite(true); }, "raw write + fsync");
    const auto rawread = [&] {
        QFile file(rawpath);
        return file.open(QIODevice::ReadOnly) && file.readAll().size() == size;
    };
    const double read = best(repeats, rawread, "raw read");

    st.qbpath = bookpath;
    const double save = best(
        repeats, [&] { return modquiz::savebook(); }, "savebook");
    const double encode = best(
        repeats, [&] { return modquiz::serializebook(st.qbheader, st.questions).has_value(); },
        "serializebook");

    const auto load = [&] {
        const bool ok = modquiz::openbook() && modquiz::loadbook();
        modquiz::closebook();
        return ok && modquiz::lastquestion() == qbook::maxquestions;
    };
    const double warmload =
        best(repeats, load, "openbook + loadbook", [&] { st.questions.clear(); });

    const bool cold = arguments.size() > 3 && arguments.at(3) == QLatin1String("cold");
    double coldread = 0;
    double coldload = 0;
    if (cold) {
        const auto dropcache = [] {
            ::sync();
            QFile control(QStringLiteral("/proc/sys/vm/drop_caches"));
            if (!control.open(QIODevice::WriteOnly) || control.write("3\n") != 2) {
                std::fprintf(stderr, "cannot drop the page cache (needs root)\n");
                std::exit(1);
            }
        };
        coldread = best(repeats, rawread, "cold raw read", dropcache);
        coldload = best(repeats, load, "cold openbook + loadbook", [&] {
            st.questions.clear();
            dropcache();
        });
    }
    if (st.questions != book) {
        std::fprintf(stderr, "the loaded book differs from the saved one\n");
        return 1;
    }
    QBookHeader header;
    QList<QuestionRecord> parsed;
    const double parse = best(
        repeats, [&] { return modquiz::parsebook(bytes, header, parsed); }, "parsebook",
        [&] { parsed.clear(); });

    // Peak memory of saving and loading, before the comparison below adds its own strings.
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);

    // What any loader into one string per text pays at least: the strings themselves.
    const qsizetype headersize = qbook::encodeheader(st.qbheader).size();
    QList<QString> strings;
    const double floor = best(
        repeats,
        [&] {
            const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
            for (qsizetype pos = headersize; pos < size - 1; ++pos) {
                for (int t = 0; t < 5; ++t) {
                    const int n = data[pos] | data[pos + 1] << 8;
                    strings.append(QString::fromLatin1(bytes.constData() + pos + 2, n));
                    pos += 2 + n;
                }
            }
            return strings.size() == 5 * qbook::maxquestions;
        },
        "strings alone",
        [&] {
            strings.clear();
            strings.reserve(5 * qbook::maxquestions);
        });

    report("raw write (QFile, one call)", size, write);
    report("raw write + fsync", size, writesync);
    report("savebook (build + replace + fsync)", size, save);
    report("  of which serializebook", size, encode);
    report("raw read (QFile, one call)", size, read);
    report("openbook + loadbook", size, warmload);
    report("  of which parsebook", size, parse);
    report("one string per text, nothing else", size, floor);
    if (cold) {
        report("cold raw read (from the disk)", size, coldread);
        report("cold openbook + loadbook", size, coldload);
    }

    std::printf("peak memory of the run up to the loads (ru_maxrss): %.1f MB\n",
                usage.ru_maxrss / 1024.0);
    return 0;
}
