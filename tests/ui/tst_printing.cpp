// Print and Export as PDF in the Quiz menu: enabled exactly while a book is open in the edit
// panel, keys that clash with no other item, the preview's answer-key box, and the PDF of
// the book as it stands in memory.

#include "tests/print/pdftext.h"
#include "tests/support/testsupport.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/frmquiz.h"
#include "ui/main/printpreview.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>

namespace {

ExpectedMessage askkey(platform::Answer answer)
{
    return {"Include the answer key?", answer, "Export as PDF", YesNoCancel};
}

// Saves as path in the save dialog, which offers the book's name.
ScriptedModal::Step saveas(const QString &path)
{
    return [path](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files && files->acceptMode() == QFileDialog::AcceptSave);
        QVERIFY(files->selectedFiles().value(0).endsWith("/exam.pdf"));
        files->selectFile(path);
        dialog->accept();
    };
}

// The window with exam.Q (questions "Question 1".."Question n") open for editing.
void openexam(frmquiz &w, const TestEnvironment &env, int n)
{
    w.Form_Load({});
    env.writebook("exam.Q", makeheader(n, "History"), makequestions(n));
    w.openbook(QStringLiteral("exam.Q"), true);
}

} // namespace

class tst_printing : public QObject
{
    Q_OBJECT

private slots:
    void enabledExactlyLikeInfo();
    void keysClashWithNothing();
    void exportWritesBookInMemory();
    void exportFailureReported();
    void exportCancelledLeavesNoFile();
    void previewLeavesKeyOut();
};

void tst_printing::enabledExactlyLikeInfo()
{
    TestEnvironment env;
    frmquiz w;
    const auto states = [&] {
        return QList<bool>{w.mnuinfo->isEnabled(), w.mnuquizprint->isEnabled(),
                           w.mnuquizpdf->isEnabled()};
    };
    w.Form_Load({});
    QCOMPARE(states(), (QList<bool>{false, false, false}));
    openexam(w, env, 2);
    QCOMPARE(states(), (QList<bool>{true, true, true}));
    QVERIFY(w.editpanel().cmdeditclose_Click());
    QCOMPARE(states(), (QList<bool>{false, false, false}));

    // Right after Export.
    const QList<QAction *> items = control<QMenu>(w, "mnuquiz")->actions();
    const qsizetype exportitem = items.indexOf(w.mnuquizexport);
    QCOMPARE(items.mid(exportitem + 1, 2), (QList<QAction *>{w.mnuquizprint, w.mnuquizpdf}));
}

void tst_printing::keysClashWithNothing()
{
    frmquiz w;
    const auto accesskey = [](const QString &caption) {
        return caption.at(caption.indexOf('&') + 1).toUpper();
    };
    QList<QKeySequence> shortcuts;
    QList<QChar> menukeys;
    for (QAction *top : w.menuBar()->actions()) {
        menukeys += accesskey(top->text());
        QList<QChar> itemkeys;
        for (QAction *item : top->menu()->actions()) {
            if (!item->isSeparator())
                itemkeys += accesskey(item->text());
            if (!item->shortcut().isEmpty())
                shortcuts += item->shortcut();
        }
        QCOMPARE(QSet<QChar>(itemkeys.begin(), itemkeys.end()).size(), itemkeys.size());
    }
    QCOMPARE(QSet<QChar>(menukeys.begin(), menukeys.end()).size(), menukeys.size());
    QCOMPARE(QSet<QKeySequence>(shortcuts.begin(), shortcuts.end()).size(), shortcuts.size());
    QCOMPARE(w.mnuquizprint->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
}

void tst_printing::exportWritesBookInMemory()
{
    TestEnvironment env;
    ScriptedMessages script({askkey(Cancel), askkey(Yes), askkey(No), askkey(Yes)});
    ScriptedModal modal;
    frmquiz w;
    openexam(w, env, 2);
    modquiz::state().questions[2].question = "Changed, not saved";

    w.mnuquizpdf_Click(); // Cancel at the question: no save dialog
    modal.add([](QDialog *dialog) { dialog->reject(); });
    w.mnuquizpdf_Click();
    QCOMPARE(QDir(env.folder()).entryList({"*.pdf"}), QStringList());

    modal.add(saveas(env.path("nokey.pdf")));
    w.mnuquizpdf_Click();
    const QString text = pdftext(env.path("nokey.pdf")).simplified();
    QCOMPARE(
        missinginorder(text, {"History", "1. Question 1", "2. Changed, not saved", "D Answer 2.4"}),
        QString());
    QVERIFY(!text.contains("Answer Key"));
    modal.add(saveas(env.path("key.pdf")));
    w.mnuquizpdf_Click();
    QVERIFY(pdftext(env.path("key.pdf")).simplified().contains("Answer Key 1 A 2 B"));
    QVERIFY(modal.done());
    VERIFY_DONE(script);
}

void tst_printing::exportFailureReported()
{
    TestEnvironment env;
    frmquiz w;
    openexam(w, env, 1);
    const QString path = env.path("exam.Q") + "/out.pdf"; // a folder that is a file
    ScriptedMessages script({askkey(Yes), {"Error: Cannot write file\r" + path}});
    ScriptedModal modal({saveas(path)});
    w.mnuquizpdf_Click();
    QVERIFY(modal.done());
    VERIFY_DONE(script);
}

void tst_printing::exportCancelledLeavesNoFile()
{
    TestEnvironment env;
    frmquiz w;
    openexam(w, env, qbook::maxquestions);
    ScriptedMessages script({askkey(Yes)});
    ScriptedModal modal({saveas(env.path("exam.pdf"))});
    // Runs among the window's events while the export works; cancels once pages are done.
    int ticks = 0;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        ++ticks;
        auto *progress = w.findChild<QProgressDialog *>("progress");
        if (progress && progress->value() > 0)
            progress->cancel();
    });
    poll.start(10);
    w.mnuquizpdf_Click();
    QVERIFY(ticks > 0);
    QCOMPARE(QDir(env.folder()).entryList({"exam.pdf*"}, QDir::AllEntries | QDir::Hidden),
             QStringList());
    QVERIFY(modal.done());
    VERIFY_DONE(script);
}

void tst_printing::previewLeavesKeyOut()
{
    TestEnvironment env;
    frmquiz w;
    openexam(w, env, 2);
    ScriptedModal modal({[](QDialog *dialog) {
        auto *preview = qobject_cast<PrintPreview *>(dialog);
        auto *key = dialog->findChild<QCheckBox *>("chkanswerkey");
        QVERIFY(preview && key && key->isChecked());
        QCOMPARE(preview->pagecount(), 2);
        key->setChecked(false);
        QCOMPARE(preview->pagecount(), 1);
        preview->cmdprint_Click(); // to a file, as the print dialog allows
    }});
    modal.add([&env](QDialog *dialog) {
        auto *print = qobject_cast<QPrintDialog *>(dialog);
        QVERIFY(print);
        // Past accept(), which would read the printer back from the dialog's own boxes.
        print->printer()->setOutputFileName(env.path("printed.pdf"));
        dialog->done(QDialog::Accepted);
    });
    w.mnuquizprint_Click();
    QVERIFY(modal.done());
    const QString text = pdftext(env.path("printed.pdf")).simplified();
    QVERIFY(text.contains("2. Question 2") && !text.contains("Answer Key"));
}

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
