// Time and peak memory of printing the largest book (32,766 questions) to a PDF, with and
// without the answer key, against a plain QPdfWriter program that draws the same texts; and
// the preview's first page and answer-key switch.
// Usage: bench_print [folder] [preview]   (preview: only the preview's figures)
#include "print/bookprint.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
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

// The anchor: the same texts drawn with QPainter::drawText wrapped in the page's width, one
// after another, with no layout of our own.
void plainpdf(const QString &path, const QList<QuestionRecord> &questions)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    QPainter painter(&writer);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(11);
    painter.setFont(font);
    const qreal width = writer.width();
    qreal y = 0;
    for (qsizetype k = 1; k < questions.size(); ++k) {
        const QuestionRecord &record = questions[k];
        for (const QString &text : {record.question, record.answers[0], record.answers[1],
                                    record.answers[2], record.answers[3]}) {
            const QRectF bounds =
                painter.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, text);
            if (y + bounds.height() > writer.height()) {
                writer.newPage();
                y = 0;
            }
            painter.drawText(QRectF(0, y, width, bounds.height()), Qt::TextWordWrap, text);
            y += bounds.height();
        }
    }
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
    const QuestionList held = questions; // as the window holds the book
    std::printf("book in memory: peak %ld MB\n", peakkilobytes() / 1024);

    const bool previewonly = arguments.size() > 2 && arguments.at(2) == QLatin1String("preview");
    for (const bool key : {true, false}) {
        if (previewonly)
            break;
        const QString path = folder.filePath(key ? "key.pdf" : "nokey.pdf");
        bookprint::PrintOptions options;
        options.answerkey = key;
        const auto start = Clock::now();
        const double cpustart = cpuseconds();
        if (!bookprint::writepdf(path, header, held, options, QPageSize(QPageSize::A4))) {
            std::fprintf(stderr, "writing %s failed\n", qPrintable(path));
            return 1;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%-20s %6.2f s wall %6.2f s processor %5.1f MB PDF  peak %ld MB\n",
                    key ? "32,766 with key" : "32,766 without key", seconds,
                    cpuseconds() - cpustart, QFileInfo(path).size() / 1e6, peakkilobytes() / 1024);
    }
    if (!previewonly) {
        const QString path = folder.filePath("plain.pdf");
        const auto start = Clock::now();
        const double cpustart = cpuseconds();
        plainpdf(path, questions);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        std::printf("%-20s %6.2f s wall %6.2f s processor %5.1f MB PDF  (anchor)\n",
                    "plain QPdfWriter", seconds, cpuseconds() - cpustart,
                    QFileInfo(path).size() / 1e6);
    }

    // The preview: the book laid out for a 1200 dpi printer, its first page drawn on a screen
    // image, then the key switched off and on.
    QPdfWriter device(folder.filePath("preview.pdf"));
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
    const auto start = Clock::now();
    const double cpulayout = cpuseconds();
    bookprint::Exam exam(device, header, held);
    const double laidout = std::chrono::duration<double>(Clock::now() - start).count();
    const double layoutcpu = cpuseconds() - cpulayout;
    QImage image(700, 990, QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(exam.resolution() / 0.0254));
    image.setDotsPerMeterY(qRound(exam.resolution() / 0.0254));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.scale(700 / exam.pagesize().width(), 700 / exam.pagesize().width());
        exam.drawpage(painter, 0);
    }
    const double first = std::chrono::duration<double>(Clock::now() - start).count();
    const auto toggle = Clock::now();
    exam.setanswerkey(false);
    const int without = exam.pagecount();
    exam.setanswerkey(true);
    const double switched = std::chrono::duration<double>(Clock::now() - toggle).count();
    std::printf("preview first page %6.3f s (layout %.3f s wall, %.3f s processor); key off and "
                "on %.6f s (%d / %d pages)  peak %ld MB\n",
                first, laidout, layoutcpu, switched, without, exam.pagecount(),
                peakkilobytes() / 1024);
    return 0;
}
