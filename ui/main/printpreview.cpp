#include "ui/main/printpreview.h"

#include "platform/msgbox.h"
#include "platform/progress.h"

#include <QCheckBox>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <cmath>

namespace {

constexpr int gap = 12; // pixels around each page

// The pages one under another, each drawn only while it is in view.
class PageView final : public QWidget
{
public:
    explicit PageView(const PrintPreview &preview) : m_preview(preview)
    {
        setObjectName(QStringLiteral("pageview"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    // Fits the page to width pixels (at most a page's natural size on the screen).
    void fit(int width)
    {
        const QSizeF paper = m_preview.paper();
        const qreal natural = logicalDpiX() / static_cast<qreal>(m_preview.exam().resolution());
        m_scale = std::min(natural, (width - 2 * gap) / paper.width());
        m_scale = std::max(m_scale, 0.05);
        m_pageheight = static_cast<int>(std::ceil(paper.height() * m_scale));
        m_pagewidth = static_cast<int>(std::ceil(paper.width() * m_scale));
        resize(width, m_preview.pagecount() * (m_pageheight + gap) + gap);
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().dark());
        const int stride = m_pageheight + gap;
        const int first = std::max(0, (event->rect().top() - gap) / stride);
        const int last = std::min(m_preview.pagecount() - 1, event->rect().bottom() / stride);
        const int x = std::max(gap, (width() - m_pagewidth) / 2);
        for (int page = first; page <= last; ++page)
            painter.drawImage(x, gap + page * stride, render(page));
    }

private:
    // The page on an image that claims the printer's resolution, so the fonts come out at
    // their printed size before the view scales them down.
    QImage render(int page) const
    {
        QImage image(m_pagewidth, m_pageheight, QImage::Format_RGB32);
        const int dotspermeter = qRound(m_preview.exam().resolution() / 0.0254);
        image.setDotsPerMeterX(dotspermeter);
        image.setDotsPerMeterY(dotspermeter);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(m_scale, m_scale);
        painter.translate(m_preview.margin());
        m_preview.exam().drawpage(painter, page);
        return image;
    }

    const PrintPreview &m_preview;
    qreal m_scale = 1;
    int m_pagewidth = 1;
    int m_pageheight = 1;
};

} // namespace

PrintPreview::PrintPreview(QPrinter *printer, const QBookHeader &header,
                           const QuestionList &questions, QWidget *parent)
    : QDialog(parent), m_printer(printer), m_header(header), m_questions(questions),
      m_exam(*printer, header, questions)
{
    setObjectName(QStringLiteral("printpreview"));
    setWindowTitle(QStringLiteral("Print Preview"));
    const QRectF paper = printer->paperRect(QPrinter::DevicePixel);
    const QRectF page = printer->pageRect(QPrinter::DevicePixel);
    m_paper = paper.size();
    m_margin = page.topLeft() - paper.topLeft();

    auto *toolbar = new QToolBar(this);
    auto *print = new QPushButton(QStringLiteral("&Print..."), toolbar);
    print->setObjectName(QStringLiteral("cmdprint"));
    toolbar->addWidget(print);
    toolbar->addSeparator();
    chkanswerkey = new QCheckBox(QStringLiteral("Answer &Key"), toolbar);
    chkanswerkey->setObjectName(QStringLiteral("chkanswerkey"));
    chkanswerkey->setChecked(true);
    toolbar->addWidget(chkanswerkey);

    m_scroll = new QScrollArea(this);
    m_scroll->setBackgroundRole(QPalette::Dark);
    auto *pages = new PageView(*this);
    m_pages = pages;
    m_scroll->setWidget(pages);
    m_scroll->verticalScrollBar()->setSingleStep(40);
    // The pages always fit the width.
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setFocus();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_scroll);
    resize(760, 900);
    pages->fit(m_scroll->viewport()->width());

    connect(chkanswerkey, &QCheckBox::toggled, this, &PrintPreview::chkanswerkey_Toggled);
    connect(print, &QPushButton::clicked, this, &PrintPreview::cmdprint_Click);
    m_scroll->viewport()->installEventFilter(this);
}

bool PrintPreview::eventFilter(QObject *watched, QEvent *event)
{
    // The pages follow the width of the window.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        static_cast<PageView *>(m_pages)->fit(m_scroll->viewport()->width());
    return QDialog::eventFilter(watched, event);
}

void PrintPreview::chkanswerkey_Toggled(bool on)
{
    m_exam.setanswerkey(on);
    static_cast<PageView *>(m_pages)->fit(m_scroll->viewport()->width());
}

void PrintPreview::cmdprint_Click()
{
    QPrintDialog dialog(m_printer, this);
    dialog.setObjectName(QStringLiteral("printdialog"));
    platform::showmodal(&dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    bookprint::PrintOptions options;
    options.answerkey = chkanswerkey->isChecked();
    int pages = 0;
    const bool finished =
        platform::runwithprogress(this, QStringLiteral("Printing..."), [&](platform::Work &work) {
            pages = bookprint::printbook(
                *m_printer, m_header, m_questions, options,
                [&work](int done, int total) { return work.report(done, total); });
        });
    if (finished && pages == 0)
        platform::msgbox(QStringLiteral("Error: Cannot print"));
    accept();
}
