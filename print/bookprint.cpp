#include "print/bookprint.h"

#include "platform/files.h"

#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <vector>

namespace bookprint {
namespace {

QFont printfont(qreal points, bool bold = false)
{
    QFont font;
    font.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

using Face = Exam::Face;
using Line = Exam::Line;

// A stored text as lines: either kind of line end breaks the line, and the other control
// characters, which have no glyph, print as blanks. Most texts have none and are shared.
QStringList paragraphs(const QString &text)
{
    const bool plain =
        std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x20; });
    if (plain)
        return {text};
    QString lines = text;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar &c : lines) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return lines.split(QLatin1Char('\n'));
}

// An empty answer slot is left out of the exam.
bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// What a font tells without laying text out: the height of a line, and the advance of each
// Latin-1 character, whose sum tells that a text surely fits on one line.
struct Measure
{
    Measure(const QFont &font, const QPaintDevice *device)
    {
        QTextLayout layout(QStringLiteral("\u00c1g"), font, device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e6);
        height = line.height();
        ascent = line.ascent();
        layout.endLayout();
        const QFontMetricsF metrics(font, device);
        for (char16_t c = 0; c <= 0xff; ++c)
            advances[c] = metrics.horizontalAdvance(QChar(c));
    }

    // Only Latin-1 counts, which the print fonts have: another character could come from a
    // wider or taller fallback font. A little room to spare for kerning.
    [[nodiscard]] bool fits(const QString &text, qreal width) const
    {
        qreal used = 0;
        const qreal room = width * 0.98;
        for (const QChar c : text) {
            if (c.unicode() > 0xff)
                return false;
            used += advances[c.unicode()];
            if (used > room)
                return false;
        }
        return true;
    }

    qreal height = 0;
    qreal ascent = 0;
    std::array<qreal, 256> advances{};
};

// The fonts of a page with their measures on the device they print on.
struct FaceSet
{
    explicit FaceSet(const QPaintDevice *device)
        : fonts{printfont(18, true), printfont(11), printfont(11, true), printfont(14, true),
                printfont(9)}
    {
        for (const QFont &font : fonts)
            measures.emplace_back(font, device);
    }
    std::array<QFont, Exam::Faces> fonts;
    std::vector<Measure> measures;
};

// One printed line, or blank space, before it is placed on a page.
struct Row
{
    bool text = false;
    qreal height = 0;
    Line line;
};

// Rows that stay together on one page when they fit: a question with its answers, or the
// title block.
class Block
{
public:
    Block(const QPaintDevice *device, const FaceSet &faces) : m_device(device), m_faces(faces) {}

    // Adds text wrapped to width at x, the label on its first line. A paragraph that surely
    // fits on one line is not laid out: that is most texts, and laying out takes the time.
    void addtext(const QString &text, Face face, qreal x, qreal width, const QString &label = {},
                 Face labelface = Face::Text, qreal labelx = 0)
    {
        const Measure &measure = m_faces.measures[face];
        Row row;
        row.text = true;
        row.line.x = x;
        row.line.face = face;
        row.line.label = label;
        row.line.labelface = labelface;
        row.line.labelx = labelx;
        const auto add = [&](const QString &line, qreal height, qreal ascent) {
            row.line.text = line;
            row.height = height;
            row.line.ascent = ascent;
            m_rows.push_back(row);
            row.line.label.clear();
        };
        for (const QString &paragraph : paragraphs(text)) {
            if (measure.fits(paragraph, width)) {
                add(paragraph, measure.height, measure.ascent);
                continue;
            }
            QTextOption option;
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            QTextLayout layout(paragraph, m_faces.fonts[face], m_device);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                add(paragraph.mid(line.textStart(), line.textLength()), line.height(),
                    line.ascent());
            }
            layout.endLayout();
        }
    }

    void addspace(qreal height)
    {
        Row row;
        row.height = height;
        m_rows.push_back(row);
    }

    [[nodiscard]] qreal height() const
    {
        qreal total = 0;
        for (const Row &row : m_rows)
            total += row.height;
        return total;
    }

    [[nodiscard]] std::vector<Row> &rows() { return m_rows; }

private:
    const QPaintDevice *m_device;
    const FaceSet &m_faces;
    std::vector<Row> m_rows;
};

// Puts blocks on pages one after another, noting where each line goes.
class Pager
{
public:
    Pager(qreal width, qreal bottom, std::vector<Line> &lines, std::vector<qsizetype> &pagestarts)
        : m_width(width), m_bottom(bottom), m_lines(lines), m_pagestarts(pagestarts)
    {
        m_pagestarts.push_back(0);
    }

    [[nodiscard]] qreal width() const { return m_width; }
    [[nodiscard]] int pages() const { return static_cast<int>(m_pagestarts.size()); }
    // Where the next row goes, and the room left under it on this page.
    [[nodiscard]] qreal top() const { return m_y; }
    [[nodiscard]] qreal room() const { return m_bottom - m_y; }

    // Puts a line at y on this page, beside others: a cell of a grid.
    void put(Line line, qreal y)
    {
        line.y = y;
        m_lines.push_back(std::move(line));
    }

    // Takes the block's lines.
    void place(Block &block)
    {
        const qreal height = block.height();
        // A block taller than a page cannot stay together: it starts where it is and runs on.
        if (m_y > 0 && m_y + height > m_bottom && height <= m_bottom)
            newpage();
        for (Row &row : block.rows()) {
            if (row.text && m_y > 0 && m_y + row.height > m_bottom)
                newpage();
            if (row.text) {
                m_lines.push_back(std::move(row.line));
                m_lines.back().y = m_y;
            }
            m_y += row.height;
        }
    }

    void skip(qreal height) { m_y += height; }

    void newpage()
    {
        m_pagestarts.push_back(static_cast<qsizetype>(m_lines.size()));
        m_y = 0;
    }

private:
    qreal m_width;
    qreal m_bottom;
    std::vector<Line> &m_lines;
    std::vector<qsizetype> &m_pagestarts;
    qreal m_y = 0;
};

// The title block: the category as the title, the author, the number of questions, and a
// line for the student's name and the date.
void placetitle(Pager &pager, const QPaintDevice *device, const FaceSet &faces,
                const QBookHeader &header, int count)
{
    const qreal width = pager.width();
    const QFontMetricsF text(faces.fonts[Face::Text], device);
    Block block(device, faces);
    if (!blank(header.category)) {
        block.addtext(header.category, Face::Title, 0, width);
        block.addspace(text.height() * 0.5);
    }
    if (!blank(header.author))
        block.addtext(QStringLiteral("Author: ") + header.author, Face::Text, 0, width);
    block.addtext(QStringLiteral("Questions: %1").arg(count), Face::Text, 0, width);
    block.addspace(text.height());

    // Underscores make the lines to write on; the name gets two thirds of what is left.
    const QString name = QStringLiteral("Name: ");
    const QString date = QStringLiteral("   Date: ");
    const qreal rule = text.horizontalAdvance(QLatin1Char('_'));
    const qreal free = width - text.horizontalAdvance(name + date) - 2 * rule;
    const int underscores = std::max(2, static_cast<int>(free / rule));
    const int forname = underscores * 2 / 3;
    block.addtext(name + QString(forname, QLatin1Char('_')) + date +
                      QString(underscores - forname, QLatin1Char('_')),
                  Face::Text, 0, width);
    block.addspace(text.height() * 1.5);
    pager.place(block);
}

// Where a question's parts go.
struct QuestionStyle
{
    qreal numwidth = 0;
    qreal letterwidth = 0;
    qreal spacing = 0;
    std::array<QString, 4> letters;
};

// Question k with its answers, the empty slots left out; the letters keep their slots.
void placequestion(Pager &pager, const QPaintDevice *device, const FaceSet &faces,
                   const QuestionStyle &style, int k, const QuestionRecord &record)
{
    const qreal width = pager.width();
    Block block(device, faces);
    block.addtext(record.question, Face::Question, style.numwidth, width - style.numwidth,
                  QString::number(k) + QLatin1Char('.'), Face::Question, 0);
    block.addspace(style.spacing);
    const qreal x = style.numwidth + style.letterwidth;
    for (int i = 0; i < 4; ++i) {
        if (blank(record.answers[i]))
            continue;
        block.addtext(record.answers[i], Face::Text, x, width - x, style.letters[i], Face::Text,
                      style.numwidth);
    }
    pager.place(block);
}

// The key on a page of its own, as a grid read down each column: the numbers right-aligned,
// each with its letter beside it, as many columns as the page is wide.
void placekey(Pager &pager, const QPaintDevice *device, const FaceSet &faces,
              const QuestionList &questions)
{
    pager.newpage();
    const qreal width = pager.width();
    const QFontMetricsF text(faces.fonts[Face::Text], device);
    const QFontMetricsF bold(faces.fonts[Face::Question], device);
    Block heading(device, faces);
    heading.addtext(QStringLiteral("Answer Key"), Face::Heading, 0, width);
    heading.addspace(text.height() * 0.5);
    pager.place(heading);

    const int last = static_cast<int>(questions.size() - 1);
    const qreal numwidth = text.horizontalAdvance(QString::number(last));
    const qreal letterx = numwidth + text.horizontalAdvance(QLatin1Char(' '));
    const qreal cell = letterx + bold.horizontalAdvance(QLatin1Char('W'));
    const qreal gap = text.horizontalAdvance(QStringLiteral("000"));
    const int columns = std::max(1, static_cast<int>((width + gap) / (cell + gap)));
    const qreal line = text.lineSpacing();
    for (int first = 1; first <= last;) {
        int rows = static_cast<int>(pager.room() / line);
        if (rows < 1) {
            pager.newpage();
            continue;
        }
        rows = std::min(rows, (last - first + columns) / columns);
        const int end = std::min(last, first + rows * columns - 1);
        // A column at a time, so that text taken from the page reads in number order.
        for (int k = first; k <= end; ++k) {
            const qreal x = ((k - first) / rows) * (cell + gap);
            Line entry;
            entry.label = QString::number(k);
            entry.labelx = x + numwidth - text.horizontalAdvance(entry.label);
            entry.text = answerletter(questions[k].correct);
            entry.x = x + letterx;
            entry.face = Face::Question;
            entry.ascent = text.ascent();
            pager.put(std::move(entry), pager.top() + ((k - first) % rows) * line);
        }
        pager.skip(rows * line);
        first = end + 1;
        if (first <= last)
            pager.newpage();
    }
}

} // namespace

QPageSize defaultpagesize()
{
    const bool us = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(us ? QPageSize::Letter : QPageSize::A4);
}

QBookHeader titled(QBookHeader header, const QString &path)
{
    if (blank(header.category))
        header.category = QFileInfo(path).fileName();
    return header;
}

QString answerletter(int correct)
{
    if (correct < 1 || correct > 4)
        return QStringLiteral("?");
    return QString(QLatin1Char(static_cast<char>('A' + correct - 1)));
}

Exam::Exam(const QPaintDevice &device, const QBookHeader &header, const QuestionList &questions)
    : m_size(device.width(), device.height()), m_resolution(device.logicalDpiY())
{
    const FaceSet faces(&device);
    m_fonts = faces.fonts;
    const QFontMetricsF footer(m_fonts[Face::Footer], &device);
    Pager pager(m_size.width(), m_size.height() - 2 * footer.height(), m_lines, m_pagestarts);
    const int count = questions.isEmpty() ? 0 : static_cast<int>(questions.size() - 1);
    placetitle(pager, &device, faces, header, count);

    const QFontMetricsF bold(m_fonts[Face::Question], &device);
    const QFontMetricsF text(m_fonts[Face::Text], &device);
    QuestionStyle style;
    style.numwidth =
        bold.horizontalAdvance(QString::number(count) + QLatin1Char('.')) + bold.averageCharWidth();
    style.letterwidth = text.horizontalAdvance(QLatin1Char('D')) * 2.2;
    style.spacing = text.height() * 0.25;
    for (int i = 0; i < 4; ++i)
        style.letters[i] = answerletter(i + 1);
    const qreal gap = text.height() * 0.8;
    m_lines.reserve(static_cast<size_t>(count) * 6 + 16);
    for (int k = 1; k <= count; ++k) {
        placequestion(pager, &device, faces, style, k, questions[k]);
        pager.skip(gap);
    }
    m_questionpages = pager.pages();
    if (count > 0)
        placekey(pager, &device, faces, questions);
}

int Exam::pagecount() const
{
    return m_answerkey ? static_cast<int>(m_pagestarts.size()) : m_questionpages;
}

void Exam::drawpage(QPainter &painter, int page) const
{
    const qsizetype first = m_pagestarts.at(page);
    const qsizetype end = page + 1 < static_cast<int>(m_pagestarts.size())
                              ? m_pagestarts.at(page + 1)
                              : static_cast<qsizetype>(m_lines.size());
    int face = -1;
    const auto use = [&](Face wanted) {
        if (face != wanted)
            painter.setFont(m_fonts[wanted]);
        face = wanted;
    };
    for (qsizetype i = first; i < end; ++i) {
        const Line &line = m_lines[i];
        // The label first, so that a reader copying the text gets "A Paris", not "Paris A".
        if (!line.label.isEmpty()) {
            use(line.labelface);
            painter.drawText(QPointF(line.labelx, line.y + line.ascent), line.label);
        }
        use(line.face);
        painter.drawText(QPointF(line.x, line.y + line.ascent), line.text);
    }
    use(Face::Footer);
    const QFontMetricsF metrics(m_fonts[Face::Footer], painter.device());
    const QString text = QStringLiteral("%1 / %2").arg(page + 1).arg(pagecount());
    const qreal x = (m_size.width() - metrics.horizontalAdvance(text)) / 2;
    painter.drawText(QPointF(x, m_size.height() - metrics.descent()), text);
}

int printbook(QPagedPaintDevice &device, const QBookHeader &header, const QuestionList &questions,
              const PrintOptions &options, const Progress &progress)
{
    Exam exam(device, header, questions);
    exam.setanswerkey(options.answerkey);
    const int pages = exam.pagecount();
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        exam.drawpage(painter, page);
        if (progress && !progress(page + 1, pages)) {
            painter.end();
            return 0;
        }
    }
    painter.end();
    return pages;
}

bool writepdf(const QString &path, const QBookHeader &header, const QuestionList &questions,
              const PrintOptions &options, const QPageSize &pagesize, QString *error,
              const Progress &progress)
{
    platform::ReplacingFile file(path);
    if (!file.open()) {
        if (error)
            *error = file.reason();
        return false;
    }
    int pages = 0;
    {
        QPdfWriter writer(file.device());
        writer.setCreator(QStringLiteral("Quiz"));
        writer.setTitle(header.category);
        writer.setPageSize(pagesize);
        writer.setPageMargins(pagemargins, QPageLayout::Millimeter);
        pages = printbook(writer, header, questions, options, progress);
    }
    if (pages == 0) {
        file.discard();
        if (error)
            *error = QStringLiteral("the PDF could not be finished");
        return false;
    }
    // A write that failed on the way (a full disk) is seen here: the PDF writer does not
    // report it.
    if (!file.commit()) {
        if (error)
            *error = file.reason();
        return false;
    }
    return true;
}

} // namespace bookprint
