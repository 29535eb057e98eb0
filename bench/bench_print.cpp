// Time and peak memory of printing the largest book (32,766 questions) to a PDF, with and
// without the answer key.
// Usage: bench_print [folder]
#include "print/bookprint.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

// Texts of the lengths a real book has, different in every question; every tenth question
// has a long text that wraps over several lines and a line break.
QList<QuestionRecord> makebook()
{
    QList<QuestionRecord> questions(qbook::maxquestions + 1);
    for (int k = 1; k <= qbook::maxquestions; ++k) {
        QuestionRecord &record = questions[k];
        record.question = QStringLiteral("Question %1: which of these answers is right?").arg(k);
        if (k % 10 == 0)
            record.question += QStringLiteral("\r\n") +
                               QStringLiteral("A longer explanation that wraps. ").repeated(8);
        for (int i = 0; i < 4; ++i)
            record.answers[i] = QStringLiteral("Answer %1.%2").arg(k).arg(i + 1);
        record.correct = static_cast<quint8>(k % 4 + 1);
    }
    return questions;
}

// Processor time of this process so far, in seconds: on a shared machine the wall-clock time
// also counts the time other programs had the processor.
double cpuseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval &t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long peakkilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QTemporaryDir folder(arguments.size() > 1 ? arguments.at(1) + QStringLiteral("/bench-XXXXXX")
                                              : QString());
    const QBookHeader header{QStringLiteral("Benchmark"), QStringLiteral("Bench"),
                             QStringLiteral("QB"), qbook::maxquestions};
    const QList<QuestionRecord> questions = makebook();
    std::printf("book in memory: peak %ld MB\n", peakkilobytes() / 1024);

    for (const bool key : {true, false}) {
        const QString path = folder.filePath(key ? "key.pdf" : "nokey.pdf");
        bookprint::PrintOptions options;
        options.answerkey = key;
        const auto start = Clock::now();
        const double cpustart = cpuseconds();
        if (!bookprint::writepdf(path, header, questions, options, QPageSize(QPageSize::A4))) {
            std::fprintf(stderr, "writing %s failed\n", qPrintable(path));
            return 1;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%-20s %6.2f s wall %6.2f s processor %5.1f MB PDF  peak %ld MB\n",
                    key ? "32,766 with key" : "32,766 without key", seconds,
                    cpuseconds() - cpustart, QFileInfo(path).size() / 1e6, peakkilobytes() / 1024);
    }
    return 0;
}
