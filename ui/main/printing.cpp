// The Quiz menu's Print and Export as PDF: the open book as an exam with its answer key.
#include "ui/main/frmquiz.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "print/bookprint.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPrinterInfo>
#include <QToolBar>

namespace {

// The margins of every printed page.
const QMarginsF pagemargins(18, 18, 18, 18);

} // namespace

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
    printer.setPageMargins(pagemargins, QPageLayout::Millimeter);
    printer.setDocName(s.qbheader.category);

    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("printpreview"));
    bookprint::PrintOptions options;
    options.filename = QFileInfo(s.qbpath).fileName();
    auto *key = new QCheckBox(QStringLiteral("Answer &Key"), &preview);
    key->setObjectName(QStringLiteral("chkanswerkey"));
    key->setChecked(options.answerkey);
    if (auto *toolbar = preview.findChild<QToolBar *>()) {
        toolbar->addSeparator();
        toolbar->addWidget(key);
    }
    auto *widget = preview.findChild<QPrintPreviewWidget *>();
    connect(key, &QCheckBox::toggled, &preview, [&options, widget](bool on) {
        options.answerkey = on;
        if (widget)
            widget->updatePreview();
    });
    connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter *target) {
        bookprint::printbook(*target, s.qbheader, s.questions, options);
    });
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
    options.filename = book.fileName();
    if (!bookprint::writepdf(path, s.qbheader, s.questions, options, bookprint::defaultpagesize()))
        platform::msgbox(QStringLiteral("Error: Cannot write file\r") + path);
}
