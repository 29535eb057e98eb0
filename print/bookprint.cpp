#include "print/bookprint.h"

#include "platform/files.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <algorithm>
#include <deque>
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

// The fonts of a page, measured on the device they print on.
struct Fonts
{
    QFont title = printfont(18, true);
    QFont text = printfont(11);
    QFont question = printfont(11, true);
    QFont heading = printfont(14, true);
    QFont footer = printfont(9);
};

// A stored text as lines: either kind of line end breaks the line, and the other control
// characters, which have no glyph, print as blanks.
QStringList paragraphs(const QString &text)
{
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QChar &c : plain) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\n'))
            c = QLatin1Char(' ');
    }
    return plain.split(QLatin1Char('\n'));
}

// An empty answer slot is left out of the exam.
bool blank(const QString &text)
{
    return text.trimmed().isEmpty();
}

// What a font tells without laying text out: the height of a line, and an upper bound of
// the width of a Latin-1 text (the widest of those characters times the text's length).
struct Oneline
{
    Oneline(const QFont &font, QPaintDevice *device)
    {
        QTextLayout layout(QStringLiteral("\u00c1g"), font, device);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(1e6);
        height = line.height();
        ascent = line.ascent();
        layout.endLayout();
        const QFontMetricsF metrics(font, device);
        for (char16_t c = 0x20; c <= 0xff; ++c)
            widest = std::max(widest, metrics.horizontalAdvance(QChar(c)));
    }

    // True when text surely fits on one line of width. Only Latin-1 counts, which the print
    // fonts have: another character could come from a wider or taller fallback font.
    [[nodiscard]] bool fits(const QString &text, qreal width) const
    {
        if ((text.size() + 1) * widest > width)
            return false;
        return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xff; });
    }

    qreal height = 0;
    qreal ascent = 0;
    qreal widest = 0;
};

// One printed line: a line of text (laid out when it is to be drawn), or blank space. A
// label (the question's number, the answer's letter) may stand on its baseline to its left.
struct Row
{
    bool text = false;
    const QTextLayout *layout = nullptr;
    int line = 0;
    qreal x = 0;
    qreal height = 0;
    qreal ascent = 0;
    QString label;
    const QFont *labelfont = nullptr;
    qreal labelx = 0;
};

// Rows that stay together on one page when they fit: a question with its answers, or the
// title block. Owns the layouts its rows draw.
class Block
{
public:
    explicit Block(QPaintDevice *device) : m_device(device) {}

    // Adds text wrapped to width at x, the label on its first line. With oneline, a
    // paragraph that surely fits on one line is only counted, not laid out: for counting
    // pages, where laying every text out would take most of the time.
    void addtext(const QString &text, const QFont &font, qreal x, qreal width,
                 const QString &label = {}, const QFont *labelfont = nullptr, qreal labelx = 0,
                 const Oneline *oneline = nullptr)
    {
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        bool first = true;
        for (const QString &paragraph : paragraphs(text)) {
            if (oneline && oneline->fits(paragraph, width)) {
                Row row;
                row.text = true;
                row.height = oneline->height;
                row.ascent = oneline->ascent;
                m_rows.push_back(row);
                first = false;
                continue;
            }
            QTextLayout &layout = m_layouts.emplace_back(paragraph, font, m_device);
            layout.setTextOption(option);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(width);
                // Each line is drawn on its own, wherever the page puts it.
                line.setPosition(QPointF(0, 0));
                Row row;
                row.text = true;
                row.layout = &layout;
                row.line = line.lineNumber();
                row.x = x;
                row.height = line.height();
                row.ascent = line.ascent();
                if (first) {
                    row.label = label;
                    row.labelfont = labelfont;
                    row.labelx = labelx;
                    first = false;
                }
                m_rows.push_back(row);
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

    [[nodiscard]] const std::vector<Row> &rows() const { return m_rows; }

private:
    QPaintDevice *m_device;
    std::deque<QTextLayout> m_layouts;
    std::vector<Row> m_rows;
};

// Puts blocks on pages one after another and numbers the pages "n / N". Without a painter it
// only counts the pages, which is how N is known before the first page is drawn.
class Pager
{
public:
    Pager(QPagedPaintDevice &device, QPainter *painter, const Fonts &fonts, int pages)
        : m_device(device), m_painter(painter), m_fonts(fonts), m_pages(pages)
    {
        const QFontMetricsF footer(fonts.footer, &device);
        m_bottom = device.height() - 2 * footer.height();
    }

    [[nodiscard]] qreal width() const { return m_device.width(); }
    [[nodiscard]] int page() const { return m_page; }
    // Where the next row goes, and the room left under it on this page.
    [[nodiscard]] qreal top() const { return m_y; }
    [[nodiscard]] qreal room() const { return m_bottom - m_y; }
    // Null while the pages are only counted.
    [[nodiscard]] QPainter *painter() const { return m_painter; }

    void place(const Block &block)
    {
        const qreal height = block.height();
        // A block taller than a page cannot stay together: it starts where it is and runs on.
        if (m_y > 0 && m_y + height > m_bottom && height <= m_bottom)
            newpage();
        for (const Row &row : block.rows()) {
            if (row.text && m_y > 0 && m_y + row.height > m_bottom)
                newpage();
            draw(row);
            m_y += row.height;
        }
    }

    void skip(qreal height) { m_y += height; }

    void newpage()
    {
        footer();
        if (m_painter)
            m_device.newPage();
        ++m_page;
        m_y = 0;
    }

    void finish() { footer(); }

private:
    void draw(const Row &row)
    {
        if (!m_painter || !row.layout)
            return;
        // The label first, so that a reader copying the text gets "A Paris", not "Paris A".
        if (!row.label.isEmpty()) {
            m_painter->setFont(*row.labelfont);
            m_painter->drawText(QPointF(row.labelx, m_y + row.ascent), row.label);
        }
        row.layout->lineAt(row.line).draw(m_painter, QPointF(row.x, m_y));
    }

    void footer()
    {
        if (!m_painter)
            return;
        m_painter->setFont(m_fonts.footer);
        const QFontMetricsF metrics(m_fonts.footer, &m_device);
        const QString text = QStringLiteral("%1 / %2").arg(m_page).arg(m_pages);
        const qreal x = (width() - metrics.horizontalAdvance(text)) / 2;
        m_painter->drawText(QPointF(x, m_device.height() - metrics.descent()), text);
    }

    QPagedPaintDevice &m_device;
    QPainter *m_painter;
    const Fonts &m_fonts;
    int m_pages;
    int m_page = 1;
    qreal m_y = 0;
    qreal m_bottom = 0;
};

// The title block: the category as the title, the author, the number of questions, and a
// line for the student's name and the date.
QString booktitle(const QBookHeader &header, const PrintOptions &options)
{
    return blank(header.category) ? options.filename : header.category;
}

void placetitle(Pager &pager, QPagedPaintDevice &device, const Fonts &fonts,
                const QBookHeader &header, const PrintOptions &options, int count)
{
    const qreal width = pager.width();
    const QFontMetricsF text(fonts.text, &device);
    Block block(&device);
    if (const QString title = booktitle(header, options); !blank(title)) {
        block.addtext(title, fonts.title, 0, width);
        block.addspace(text.height() * 0.5);
    }
    if (!blank(header.author))
        block.addtext(QStringLiteral("Author: ") + header.author, fonts.text, 0, width);
    block.addtext(QStringLiteral("Questions: %1").arg(count), fonts.text, 0, width);
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
                  fonts.text, 0, width);
    block.addspace(text.height() * 1.5);
    pager.place(block);
}

// Where a question's parts go; with the Oneline measures when pages are only counted.
struct QuestionStyle
{
    qreal numwidth = 0;
    qreal letterwidth = 0;
    qreal spacing = 0;
    const Oneline *question = nullptr;
    const Oneline *answer = nullptr;
};

// Question k with its answers, the empty slots left out; the letters keep their slots.
void placequestion(Pager &pager, QPagedPaintDevice &device, const Fonts &fonts,
                   const QuestionStyle &style, int k, const QuestionRecord &record)
{
    const qreal width = pager.width();
    Block block(&device);
    block.addtext(record.question, fonts.question, style.numwidth, width - style.numwidth,
                  QString::number(k) + QLatin1Char('.'), &fonts.question, 0, style.question);
    block.addspace(style.spacing);
    const qreal x = style.numwidth + style.letterwidth;
    for (int i = 0; i < 4; ++i) {
        if (blank(record.answers[i]))
            continue;
        block.addtext(record.answers[i], fonts.text, x, width - x, answerletter(i + 1), &fonts.text,
                      style.numwidth, style.answer);
    }
    pager.place(block);
}

// The key on a page of its own, as a grid read down each column: the numbers right-aligned,
// each with its letter beside it, as many columns as the page is wide.
void placekey(Pager &pager, QPagedPaintDevice &device, const Fonts &fonts,
              const QList<QuestionRecord> &questions)
{
    pager.newpage();
    const qreal width = pager.width();
    const QFontMetricsF text(fonts.text, &device);
    const QFontMetricsF bold(fonts.question, &device);
    Block heading(&device);
    heading.addtext(QStringLiteral("Answer Key"), fonts.heading, 0, width);
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
        // Drawn a column at a time, so that text taken from the page reads in number order.
        QPainter *painter = pager.painter();
        for (int k = first; painter && k <= end; ++k) {
            const qreal x = ((k - first) / rows) * (cell + gap);
            const qreal y = pager.top() + ((k - first) % rows) * line + text.ascent();
            const QString number = QString::number(k);
            painter->setFont(fonts.text);
            painter->drawText(QPointF(x + numwidth - text.horizontalAdvance(number), y), number);
            painter->setFont(fonts.question);
            painter->drawText(QPointF(x + letterx, y), answerletter(questions[k].correct));
        }
        pager.skip(rows * line);
        first = end + 1;
        if (first <= last)
            pager.newpage();
    }
}

int paginate(QPagedPaintDevice &device, QPainter *painter, int pages, const QBookHeader &header,
             const QList<QuestionRecord> &questions, const PrintOptions &options)
{
    const Fonts fonts;
    Pager pager(device, painter, fonts, pages);
    const int count = questions.isEmpty() ? 0 : static_cast<int>(questions.size() - 1);
    placetitle(pager, device, fonts, header, options, count);

    const QFontMetricsF bold(fonts.question, &device);
    const QFontMetricsF text(fonts.text, &device);
    const Oneline question(fonts.question, &device);
    const Oneline answer(fonts.text, &device);
    QuestionStyle style;
    style.numwidth =
        bold.horizontalAdvance(QString::number(count) + QLatin1Char('.')) + bold.averageCharWidth();
    style.letterwidth = text.horizontalAdvance(QLatin1Char('D')) * 2.2;
    style.spacing = text.height() * 0.25;
    if (!painter) {
        style.question = &question;
        style.answer = &answer;
    }
    const qreal gap = text.height() * 0.8;
    for (int k = 1; k <= count; ++k) {
        placequestion(pager, device, fonts, style, k, questions[k]);
        pager.skip(gap);
    }
    if (options.answerkey && count > 0)
        placekey(pager, device, fonts, questions);
    pager.finish();
    return pager.page();
}

} // namespace

QPageSize defaultpagesize()
{
    const bool us = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageSize(us ? QPageSize::Letter : QPageSize::A4);
}

QString answerletter(int correct)
{
    if (correct < 1 || correct > 4)
        return QStringLiteral("?");
    return QString(QLatin1Char(static_cast<char>('A' + correct - 1)));
}

int printbook(QPagedPaintDevice &device, const QBookHeader &header,
              const QList<QuestionRecord> &questions, const PrintOptions &options)
{
    // The first pass only counts the pages, so that every foot can say "n / N".
    const int pages = paginate(device, nullptr, 0, header, questions, options);
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    paginate(device, &painter, pages, header, questions, options);
    painter.end();
    return pages;
}

bool writepdf(const QString &path, const QBookHeader &header,
              const QList<QuestionRecord> &questions, const PrintOptions &options,
              const QPageSize &pagesize, QString *error)
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
        writer.setTitle(booktitle(header, options));
        writer.setPageSize(pagesize);
        writer.setPageMargins(QMarginsF(18, 18, 18, 18), QPageLayout::Millimeter);
        pages = printbook(writer, header, questions, options);
    }
    if (pages == 0) {
        file.discard();
        if (error)
            *error = QStringLiteral("the PDF could not be started");
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
