#pragma once

#include "storage/qbook.h"
#include "storage/questionlist.h"

#include <QFont>
#include <QList>
#include <QMarginsF>
#include <QPageSize>
#include <QSizeF>
#include <QString>

#include <array>
#include <functional>
#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

// Lays a quiz book out on pages as a teacher hands it out: a title block, the numbered
// questions with their answers, then the answer key on a page of its own.
namespace bookprint {

struct PrintOptions
{
    bool answerkey = true;
};

// The margins of every printed page, in millimetres.
inline const QMarginsF pagemargins(18, 18, 18, 18);

// A4, or Letter where the locale measures in US units.
[[nodiscard]] QPageSize defaultpagesize();

// The header as printed: a book without a category is titled by the name of its file at path.
[[nodiscard]] QBookHeader titled(QBookHeader header, const QString &path);

// The letter of answer 1 to 4 ("A" to "D"), or "?" for a number outside that range.
[[nodiscard]] QString answerletter(int correct);

// Told after each page drawn how many of how many are done; returning false stops the work.
// Called on the thread that prints.
using Progress = std::function<bool(int done, int total)>;

// A book laid out once for a device: where each line of each page goes. Pages are drawn from
// it one at a time, in any order, so a preview draws only the pages it shows and leaving the
// key out or putting it back lays nothing out again.
class Exam
{
public:
    // questions as the working state holds them: empty, or index 0 unused and the questions
    // at 1..N. The device gives the page's size and resolution; nothing is painted on it.
    Exam(const QPaintDevice &device, const QBookHeader &header, const QuestionList &questions);

    void setanswerkey(bool on) { m_answerkey = on; }
    [[nodiscard]] int pagecount() const;
    // The page's printable area in the device's units, and the device's dots per inch.
    [[nodiscard]] QSizeF pagesize() const { return m_size; }
    [[nodiscard]] int resolution() const { return m_resolution; }
    // Draws page 0..pagecount()-1 in device units onto a painter whose device has the same
    // resolution (or a scaled view of one).
    void drawpage(QPainter &painter, int page) const;

    enum Face : quint8 { Title, Text, Question, Heading, Footer, Faces };
    struct Line
    {
        QString text;
        QString label;
        qreal x = 0;
        qreal y = 0;
        qreal ascent = 0;
        qreal labelx = 0;
        Face face = Text;
        Face labelface = Text;
    };

private:
    std::array<QFont, Faces> m_fonts;
    std::vector<Line> m_lines;
    std::vector<qsizetype> m_pagestarts; // index of each page's first line
    int m_questionpages = 0;
    bool m_answerkey = true;
    QSizeF m_size;
    int m_resolution = 72;
};

// Paints the book onto device, whose page size and margins are already set. Returns the
// number of pages, or 0 when painting on the device could not start or progress stopped it.
int printbook(QPagedPaintDevice &device, const QBookHeader &header, const QuestionList &questions,
              const PrintOptions &options, const Progress &progress = {});

// Writes the book as a PDF file with the given page size, replacing path only when every
// byte is written. On failure or when progress stops it, error says why and the old file (if
// any) is untouched; nothing is left under path's name.
[[nodiscard]] bool writepdf(const QString &path, const QBookHeader &header,
                            const QuestionList &questions, const PrintOptions &options,
                            const QPageSize &pagesize, QString *error = nullptr,
                            const Progress &progress = {});

} // namespace bookprint
