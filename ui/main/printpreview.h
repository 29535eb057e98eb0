#pragma once

#include "print/bookprint.h"

#include <QDialog>

class QCheckBox;
class QPrinter;
class QScrollArea;

// The print preview: the book as it prints, laid out once and drawn a page at a time as it
// scrolls into view, so that the largest book shows at once. The "Answer Key" box leaves the
// key out or puts it back without laying the book out again; Print sends it to the printer.
class PrintPreview final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PrintPreview)

public:
    PrintPreview(QPrinter *printer, const QBookHeader &header, const QuestionList &questions,
                 QWidget *parent = nullptr);

    [[nodiscard]] int pagecount() const { return m_exam.pagecount(); }
    [[nodiscard]] const bookprint::Exam &exam() const { return m_exam; }
    // Where the page's printable area starts on its paper, in device units.
    [[nodiscard]] QSizeF paper() const { return m_paper; }
    [[nodiscard]] QPointF margin() const { return m_margin; }

    void chkanswerkey_Toggled(bool on);
    // Asks for the printer, then prints the book with the key as the box says.
    void cmdprint_Click();

    QCheckBox *chkanswerkey = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPrinter *m_printer;
    QBookHeader m_header;
    QuestionList m_questions;
    bookprint::Exam m_exam;
    QSizeF m_paper;
    QPointF m_margin;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_pages = nullptr;
};
