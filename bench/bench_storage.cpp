// Load and save speed of the largest book (32,766 questions, texts in Windows-1252 with
// accents, typographic quotes and the euro sign) against plain reads and writes of the same
// bytes; the first load in a fresh process beside the best warm one; the memory the loaded
// book holds against the file's size; and the peak memory of the run.
// Usage: bench_storage [folder] [repeats] [cold]
// With "cold" (root only) the reads are measured once more from the disk: the page cache is
// dropped before each of them. The raw reads and the other loads read from the page cache,
// where reading the file is a memory copy.
// bench_storage --first-load PATH is the fresh process: it loads PATH once and reports.
#include "platform/ansi.h"
#include "platform/files.h"
#include "storage/modquiz.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <malloc.h>
#include <unistd.h>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

// A text of exactly n characters that differs from question to question, in the code page's
// own characters: the bytes 0x80 to 0x9F are where Windows-1252 differs from Latin-1.
QString filler(const QString &start, int n)
{
    QString text = start;
    while (text.size() < n)
        text += QStringLiteral(" caf\u00e9 \u201ccr\u00e8me\u201d \u00e0 2,50 \u20ac \u2013 "
                               "l\u2019\u0153uvre\u2026");
    text.truncate(n);
    return text;
}

// Bytes the heap holds for the program, small blocks and mapped ones.
qint64 heapinuse()
{
    const struct mallinfo2 info = mallinfo2();
    return static_cast<qint64>(info.uordblks + info.hblkhd);
}

// The fresh process: one load of path, as the program does it at its first opening. Prints the
// seconds it took and the heap the loaded book holds afterwards.
int firstload(const QString &path)
{
    auto &st = modquiz::state();
    st.qbpath = path;
    const qint64 before = heapinuse();
    const auto start = Clock::now();
    const bool ok = modquiz::openbook() && modquiz::loadbook();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    modquiz::closebook();
    if (!ok || modquiz::lastquestion() != qbook::maxquestions)
        return 1;
    std::printf("%.9f %lld\n", seconds, static_cast<long long>(heapinuse() - before));
    return 0;
}

// Short texts (a question of 60 characters, answers of 20), or realistic ones (150 and 25,
// some 8.5 MB for the largest book).
QList<QuestionRecord> makebook(bool realistic = false)
{
    QList<QuestionRecord> questions(qbook::maxquestions + 1);
    const int questionsize = realistic ? 150 : 60;
    const int answersize = realistic ? 25 : 20;
    for (int k = 1; k <= qbook::maxquestions; ++k) {
        QuestionRecord &record = questions[k];
        record.question = filler(QStringLiteral("Question %1:").arg(k), questionsize);
        for (int i = 0; i < 4; ++i)
            record.answers[i] =
                filler(QStringLiteral("Answer %1.%2").arg(k).arg(i + 1), answersize);
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
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("--first-load"))
        return firstload(arguments.at(2));
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

    // Each first load in a process of its own, the file in the page cache as after a save.
    QList<double> firsts;
    QList<qint64> held;
    const auto loadfresh = [&](const QString &path) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--first-load"), path});
        const QList<QByteArray> out = child.waitForFinished(60000)
                                          ? child.readAllStandardOutput().trimmed().split(' ')
                                          : QList<QByteArray>();
        if (child.exitCode() != 0 || out.size() != 2) {
            std::fprintf(stderr, "first load in a fresh process failed\n");
            std::exit(1);
        }
        return std::make_pair(out.at(0).toDouble(), out.at(1).toLongLong());
    };
    for (int i = 0; i < repeats; ++i) {
        const auto [seconds, bytesheld] = loadfresh(bookpath);
        firsts.append(seconds);
        held.append(bytesheld);
    }
    // The same book with realistic texts.
    const QString realpath = temporary.filePath(QStringLiteral("realistic.Q"));
    qint64 realsize = 0;
    {
        const QByteArray realbytes = *modquiz::serializebook(st.qbheader, makebook(true));
        QFile file(realpath);
        if (!file.open(QIODevice::WriteOnly) || file.write(realbytes) != realbytes.size())
            return 1;
        realsize = realbytes.size();
    }
    QList<qint64> realheld;
    for (int i = 0; i < repeats; ++i)
        realheld.append(loadfresh(realpath).second);
    std::sort(realheld.begin(), realheld.end());
    std::sort(firsts.begin(), firsts.end());
    std::sort(held.begin(), held.end());
    const double firstmedian = firsts.at(firsts.size() / 2);

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
                    strings.append(
                        platform::fromansi(QByteArrayView(bytes.constData() + pos + 2, n)));
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
    report("raw read (page cache: a copy)", size, read);
    report("openbook + loadbook, best warm", size, warmload);
    report("openbook + loadbook, fresh process", size, firstmedian);
    std::printf("%-34s %8.2f .. %.2f ms over %d processes (median above)\n", "",
                firsts.first() * 1e3, firsts.last() * 1e3, static_cast<int>(firsts.size()));
    report("  of which parsebook", size, parse);
    report("one string per text, nothing else", size, floor);
    if (cold) {
        report("cold raw read (from the disk)", size, coldread);
        report("cold openbook + loadbook", size, coldload);
    }

    const qint64 heldmedian = held.at(held.size() / 2);
    std::printf("heap held by the loaded book, short texts: %.1f MB for a %.1f MB file (%.2f bytes "
                "per file "
                "byte)\n",
                heldmedian / 1e6, size / 1e6, double(heldmedian) / double(size));
    const qint64 realmedian = realheld.at(realheld.size() / 2);
    std::printf(
        "heap held, realistic texts:               %.1f MB for a %.1f MB file (%.2f bytes per file "
        "byte)\n",
        realmedian / 1e6, realsize / 1e6, double(realmedian) / double(realsize));
    std::printf("peak memory of the run up to the loads (ru_maxrss): %.1f MB\n",
                usage.ru_maxrss / 1024.0);
    return 0;
}
