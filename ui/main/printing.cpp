// The Quiz menu's Print and Export as PDF: the open book as an exam with its answer key.
#include "ui/main/frmquiz.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/progress.h"
#include "print/bookprint.h"
#include "ui/main/printpreview.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>

void frmquiz::buildprintmenu()
{
    mnuquizprint = new QAction(QStringLiteral("&Print..."), this);
    mnuquizprint->setObjectName(QStringLiteral("mnuquizprint"));
    mnuquizprint->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    mnuquizpdf = new QAction(QStringLiteral("Export as P&DF..."), this);
    mnuquizpdf->setObjectName(QStringLiteral("mnuquizpdf"));
    mnuquiz->insertAction(mnuquizexit, mnuquizprint);
    mnuquiz->insertAction(mnuquizexit, mnuquizpdf);
    connect(mnuquizprint, &QAction::triggered, this, &frmquiz::mnuquizprint_Click);
    connect(mnuquizpdf, &QAction::triggered, this, &frmquiz::mnuquizpdf_Click);

    // Both print the book open in the edit panel, so they are enabled exactly when Info is,
    // whichever command opens or closes the book.
    const auto follow = [this](bool enabled) {
        mnuquizprint->setEnabled(enabled);
        mnuquizpdf->setEnabled(enabled);
    };
    follow(mnuinfo->isEnabled());
    connect(mnuinfo, &QAction::enabledChanged, this, follow);
}

void frmquiz::mnuquizprint_Click()
{
    const auto &s = modquiz::state();
    QPrinter printer(QPrinter::HighResolution);
    // A real printer brings its own paper; printing to a file uses the locale's.
    if (QPrinterInfo::defaultPrinter().isNull())
        printer.setPageSize(bookprint::defaultpagesize());
    printer.setPageMargins(bookprint::pagemargins, QPageLayout::Millimeter);
    printer.setDocName(s.qbheader.category);

    PrintPreview preview(&printer, bookprint::titled(s.qbheader, s.qbpath), s.questions, this);
    platform::showmodal(&preview);
}

void frmquiz::mnuquizpdf_Click()
{
    const auto &s = modquiz::state();
    const QString title = QStringLiteral("Export as PDF");
    const platform::Answer key = platform::msgbox(QStringLiteral("Include the answer key?"),
                                                  platform::Buttons::YesNoCancel, title);
    if (key == platform::Answer::Cancel)
        return;

    const QFileInfo book(s.qbpath);
    QFileDialog dialog(this, title, book.absolutePath());
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
        this, QStringLiteral("Exporting pages..."), [&](platform::Work &work) {
            written = bookprint::writepdf(
                path, header, questions, options, bookprint::defaultpagesize(), nullptr,
                [&work](int done, int total) { return work.report(done, total); });
        });
    if (finished && !written)
        platform::msgbox(QStringLiteral("Error: Cannot write file\r") + path);
}
