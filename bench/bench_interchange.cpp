// Import and export speed of the largest book (32,766 questions) in every exchange format.
// Usage: bench_interchange [repeats]
#include "interchange/interchange.h"

#include <QCoreApplication>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include <sys/resource.h>

namespace {

using Clock = std::chrono::steady_clock;

// A text of about n characters that differs from question to question, with a few of the
// characters each format has to treat specially; no spaces at its ends, which GIFT and Aiken
// do not keep.
QString filler(const QString &start, int n)
{
    QString text = start;
    while (text.size() < n)
        text += QStringLiteral(" lorem, ipsum \"dolor\" sit {amet} café");
    text.truncate(n);
    return text.trimmed();
}

QList<QuestionRecord> makebook()
{
    QList<QuestionRecord> questions(qbook::maxquestions);
    for (int k = 0; k < qbook::maxquestions; ++k) {
        QuestionRecord &record = questions[k];
        record.question = filler(QStringLiteral("Question %1:").arg(k + 1), 60);
        for (int i = 0; i < 4; ++i)
            record.answers[i] = filler(QStringLiteral("Answer %1.%2").arg(k + 1).arg(i + 1), 20);
        record.correct = static_cast<quint8>(k % 4 + 1);
    }
    return questions;
}

double cpuseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Timing
{
    double wall = 1e9;
    double cpu = 1e9;
};

// Best wall-clock and best processor time of repeats runs; on a shared machine the processor
// time is what the run itself costs.
Timing best(int repeats, const std::function<bool()> &run)
{
    Timing fastest;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        const double cpustart = cpuseconds();
        if (!run())
            return Timing{-1, -1};
        fastest.cpu = std::min(fastest.cpu, cpuseconds() - cpustart);
        fastest.wall =
            std::min(fastest.wall, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int repeats = arguments.size() > 1 ? arguments.at(1).toInt() : 5;
    if (repeats < 1)
        return 2;
    const QList<QuestionRecord> book = makebook();
    const QuestionList held = book; // as a loaded book holds it
    const QBookHeader header{QStringLiteral("Benchmark"), QStringLiteral("Quiz team"),
                             QStringLiteral("QB"), 0};
    std::printf("book: %d questions, best of %d\n", qbook::maxquestions, repeats);
    std::printf("%-11s %9s  %-26s  %-26s\n", "", "", "export: wall s, cpu s, MB/s",
                "import: wall s, cpu s, MB/s");

    int status = 0;
    for (const auto format :
         {interchange::Format::Gift, interchange::Format::Aiken, interchange::Format::MoodleXml,
          interchange::Format::Csv, interchange::Format::Json}) {
        QByteArray data;
        const Timing write = best(repeats, [&] {
            data = interchange::exportbook(header, held, format).data;
            return !data.isEmpty();
        });
        interchange::ImportResult result;
        const Timing read = best(repeats, [&] {
            result = interchange::importbook(data, format);
            return result.questions.size() == qbook::maxquestions;
        });
        if (write.wall < 0 || read.wall < 0 || result.questions != book) {
            std::fprintf(stderr, "%s: the book did not come back the same\n",
                         qPrintable(interchange::formatname(format)));
            status = 1;
            continue;
        }
        const double megabytes = data.size() / 1e6;
        std::printf("%-11s %9lld  %7.3f %7.3f %8.1f    %7.3f %7.3f %8.1f\n",
                    qPrintable(interchange::formatname(format)),
                    static_cast<long long>(data.size()), write.wall, write.cpu,
                    megabytes / write.cpu, read.wall, read.cpu, megabytes / read.cpu);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory of the run (ru_maxrss): %.1f MB\n", usage.ru_maxrss / 1024.0);
    return status;
}
