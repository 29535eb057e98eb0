// Print and Export as PDF in the Quiz menu: enabled exactly while a book is open in the edit
// panel, keys that clash with no other item, the preview's answer-key box, and the PDF of
// the book as it stands in memory.

#include "../print/pdftext.h"
#include "frmquiz.h"
#include "testsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QSet>

namespace {

const ExpectedMessage askkey(platform::Answer answer)
{
    return {"Include the answer key?", answer, "Export as PDF", YesNoCancel};
}

// A step for ScriptedModal that saves as path in the save dialog.
ScriptedModal::Step saveas(const QString &path)
{
    return [path](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        QVERIFY(files);
        QCOMPARE(files->acceptMode(), QFileDialog::AcceptSave);
        QCOMPARE(QFileInfo(files->selectedFiles().value(0)).fileName(), QStringLiteral("exam.pdf"));
        files->selectFile(path);
        dialog->accept();
    };
}

QChar accesskey(const QString &caption)
{
    const qsizetype at = caption.indexOf(QLatin1Char('&'));
    return at < 0 || at + 1 >= caption.size() ? QChar() : caption.at(at + 1).toUpper();
}

} // namespace

class tst_printing : public QObject
{
    Q_OBJECT

private slots:
    void enabledExactlyLikeInfo();
    void keysClashWithNothing();
    void exportWritesBookInMemory();
    void exportCancelled();
    void exportFailureReported();
    void previewLeavesKeyOut();
};

void tst_printing::enabledExactlyLikeInfo()
{
    TestEnvironment env;
    ScriptedMessages script;
    frmquiz w;
    w.Form_Load({});
    const auto states = [&] {
        return QList<bool>{w.mnuinfo->isEnabled(), w.mnuquizprint->isEnabled(),
                           w.mnuquizpdf->isEnabled()};
    };
    QCOMPARE(states(), (QList<bool>{false, false, false}));
    env.writebook("exam.Q", makeheader(2), makequestions(2));
    w.processcommandline("/E exam.Q");
    QCOMPARE(states(), (QList<bool>{true, true, true}));
    QVERIFY(w.cmdeditclose_Click());
    QCOMPARE(states(), (QList<bool>{false, false, false}));

    // Above Exit, after a separator.
    const QList<QAction *> items = w.mnuquiz->actions();
    const qsizetype exit = items.indexOf(w.mnuquizexit);
    QVERIFY(exit >= 3);
    QCOMPARE(items.mid(exit - 2, 2), (QList<QAction *>{w.mnuquizprint, w.mnuquizpdf}));
    QVERIFY(items.at(exit - 3)->isSeparator());
    QVERIFY2(script.done(), script.problem());
}

void tst_printing::keysClashWithNothing()
{
    frmquiz w;
    QSet<QKeySequence> shortcuts;
    QSet<QChar> menukeys;
    for (QAction *top : w.menuBar()->actions()) {
        QVERIFY2(!menukeys.contains(accesskey(top->text())), qPrintable(top->text()));
        menukeys.insert(accesskey(top->text()));
        QSet<QChar> itemkeys;
        for (QAction *item : top->menu()->actions()) {
            if (item->isSeparator())
                continue;
            const QChar key = accesskey(item->text());
            QVERIFY2(!key.isNull() && !itemkeys.contains(key), qPrintable(item->text()));
            itemkeys.insert(key);
            if (item->shortcut().isEmpty())
                continue;
            QVERIFY2(!shortcuts.contains(item->shortcut()), qPrintable(item->text()));
            shortcuts.insert(item->shortcut());
        }
    }
    QCOMPARE(w.mnuquizprint->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
}

void tst_printing::exportWritesBookInMemory()
{
    TestEnvironment env;
    ScriptedMessages script({askkey(No)});
    frmquiz w;
    w.Form_Load({});
    env.writebook("exam.Q", makeheader(2, "History"), makequestions(2));
    w.processcommandline("/E exam.Q");
    modquiz::state().questions[2].question = QStringLiteral("Changed, not saved");
    ScriptedModal modal({saveas(env.path("out.pdf"))});
    w.mnuquizpdf_Click();
    QVERIFY(modal.done());
    const QString text = flattened(pdftext(env.path("out.pdf")));
    QCOMPARE(
        missinginorder(text, {"History", "1. Question 1", "2. Changed, not saved", "D Answer 2.4"}),
        QString());
    QVERIFY(!text.contains("Answer Key"));

    script.expect(askkey(Yes));
    modal.add(saveas(env.path("key.pdf")));
    w.mnuquizpdf_Click();
    QVERIFY(flattened(pdftext(env.path("key.pdf"))).contains("Answer Key 1 A, 2 B"));
    QVERIFY2(script.done(), script.problem());
}

void tst_printing::exportCancelled()
{
    TestEnvironment env;
    ScriptedMessages script({askkey(Cancel), askkey(Yes)});
    frmquiz w;
    w.Form_Load({});
    env.writebook("exam.Q", makeheader(1), makequestions(1));
    w.processcommandline("/E exam.Q");
    ScriptedModal modal; // Cancel at the question shows no save dialog
    w.mnuquizpdf_Click();
    QCOMPARE(modal.shown(), 0);

    modal.add([](QDialog *dialog) { dialog->reject(); });
    w.mnuquizpdf_Click();
    QVERIFY(modal.done());
    QCOMPARE(QDir(env.folder()).entryList({"*.pdf"}), QStringList());
    QVERIFY2(script.done(), script.problem());
}

void tst_printing::exportFailureReported()
{
    TestEnvironment env;
    frmquiz w;
    w.Form_Load({});
    env.writebook("exam.Q", makeheader(1), makequestions(1));
    w.processcommandline("/E exam.Q");
    // A folder that is a file: no one can write there.
    const QString path = env.path("exam.Q") + "/out.pdf";
    ScriptedMessages script({askkey(Yes), {"Error: Cannot write file\r" + path}});
    ScriptedModal modal({[&](QDialog *dialog) {
        auto *files = qobject_cast<QFileDialog *>(dialog);
        files->selectFile(path);
        dialog->accept();
    }});
    w.mnuquizpdf_Click();
    QVERIFY(modal.done());
    QVERIFY2(script.done(), script.problem());
}

void tst_printing::previewLeavesKeyOut()
{
    TestEnvironment env;
    ScriptedMessages script;
    frmquiz w;
    w.Form_Load({});
    env.writebook("exam.Q", makeheader(2), makequestions(2));
    w.processcommandline("/E exam.Q");
    ScriptedModal modal({[](QDialog *dialog) {
        QVERIFY(qobject_cast<QPrintPreviewDialog *>(dialog));
        auto *preview = dialog->findChild<QPrintPreviewWidget *>();
        auto *key = dialog->findChild<QCheckBox *>("chkanswerkey");
        QVERIFY(preview && key);
        QVERIFY(key->isChecked());
        preview->updatePreview();
        QCOMPARE(preview->pageCount(), 2);
        key->setChecked(false);
        QCOMPARE(preview->pageCount(), 1);
        dialog->reject();
    }});
    w.mnuquizprint_Click();
    QVERIFY(modal.done());
    QVERIFY2(script.done(), script.problem());
}

QTEST_MAIN(tst_printing)
#include "tst_printing.moc"
