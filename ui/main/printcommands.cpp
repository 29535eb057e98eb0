// The Quiz menu's Print and Export as PDF: the open book as an exam with its answer key.
#include "ui/main/printcommands.h"

#include "storage/modquiz.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/progress.h"
#include "print/bookprint.h"
#include "ui/main/printpreview.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>

PrintCommands::PrintCommands(QWidget *window) : m_window(window)
{}

void PrintCommands::print()
{
    const auto &s = modquiz::state();
    QPrinter printer(QPrinter::HighResolution);
    // A real printer brings its own paper; printing to a file uses the locale's.
    if (QPrinterInfo::defaultPrinter().isNull())
        printer.setPageSize(bookprint::defaultpagesize());
    printer.setPageMargins(bookprint::pagemargins, QPageLayout::Millimeter);
    printer.setDocName(s.qbheader.category);

    PrintPreview preview(&printer, bookprint::titled(s.qbheader, s.qbpath), s.questions, m_window);
    platform::showmodal(&preview);
}

void PrintCommands::exportpdf()
{
    const auto &s = modquiz::state();
    const QString title = QStringLiteral("Export as PDF");
    const platform::Answer key = platform::msgbox(QStringLiteral("Include the answer key?"),
                                                  platform::Buttons::YesNoCancel, title);
    if (key == platform::Answer::Cancel)
        return;

    const QFileInfo book(s.qbpath);
    QFileDialog dialog(m_window, title, book.absolutePath());
    dialog.setObjectName(QStringLiteral("savepdf"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("PDF files (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(book.completeBaseName() + QStringLiteral(".pdf"));
    platform::showmodal(&dialog);
    if (dialog.result() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;

    const QString path = dialog.selectedFiles().constFirst();
    // A name typed with the book's own extension would put the PDF in place of the book.
    if (platform::samefile(path, s.qbpath)) {
        platform::msgbox(QStringLiteral("Cannot export over the open quiz book"),
                         platform::Buttons::Ok, title);
        return;
    }
    bookprint::PrintOptions options;
    options.answerkey = key == platform::Answer::Yes;
    // The worker prints its own copy of the book: edits made meanwhile print next time.
    const QBookHeader header = bookprint::titled(s.qbheader, s.qbpath);
    const QuestionList questions = s.questions;
    bool written = false;
    const bool finished = platform::runwithprogress(
        m_window, QStringLiteral("Exporting pages..."), [&](platform::Work &work) {
            written = bookprint::writepdf(
                path, header, questions, options, bookprint::defaultpagesize(), nullptr,
                [&work](int done, int total) { return work.report(done, total); });
        });
    if (finished && !written)
        platform::msgbox(QStringLiteral("Error: Cannot write file\r") + path);
}
