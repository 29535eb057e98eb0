// The Help and About windows: the read-me text with its headings, a text the user can read
// and copy but not change, Esc doing nothing, and the About window's placement.

#include "platform/msgbox.h"
#include "platform/twips.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/dialogs/frmabout.h"
#include "ui/dialogs/frmhelp.h"
#include "ui/main/frmquiz.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSize>
#include <QTest>

class tst_helpabout : public QObject
{
    Q_OBJECT

private slots:
    void readmeHasEveryPartInOrder();
    void helpTextReadOnlyAndFresh();
    void escDoesNothing();
    void aboutCentredHorizontally();
};

void tst_helpabout::readmeHasEveryPartInOrder()
{
    QFile file(":/readme.txt");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(bytes.count("\n"), bytes.count("\r\n"));
    QCOMPARE(frmhelp::readmetext().toUtf8(), bytes);
    const QStringList lines = QString::fromUtf8(bytes).split("\r\n");
    QVERIFY(lines.size() >= 40 && lines.size() <= 70);
    for (const QString &line : lines)
        QVERIFY2(line.size() <= 81, qPrintable(line));

    const QStringList headings{
        "Tips",
        "Menu Help",
        "Quiz",
        "New Quiz (ctrl+n)",
        "Edit Quiz (ctrl+e)",
        "Run Quiz (ctrl+r)",
        "Edit",
        "One chance (ctrl+o)",
        "Undo delete (ctrl+z)",
        "Tools",
        "Info (ctrl+i)",
        "Note",
        "Command line options",
        "    quiz /e filename - To edit a QBook file (QBook file has extension Q)",
        "    quiz filename - To Run a QBook file",
        "Tips for making a QBook",
    };
    qsizetype at = 0;
    for (const QString &heading : headings) {
        const qsizetype found = lines.indexOf(heading, at);
        QVERIFY2(found >= at, qPrintable("missing or out of order: " + heading));
        at = found + 1;
    }
    QCOMPARE(lines.indexOf("Tips"), 0);
    QCOMPARE(lines.indexOf("Menu Help"), 1);
}

void tst_helpabout::helpTextReadOnlyAndFresh()
{
    LoadedWindow t;
    const QString shown = frmhelp::readmetext().replace("\r\n", "\n");
    for (int opening = 0; opening < 2; ++opening) {
        ScriptedModal modal({[&](QDialog *d) {
            auto *p = qobject_cast<frmhelp *>(d);
            QVERIFY(p);
            QCOMPARE(p->windowTitle(), QStringLiteral("Help"));
            QCOMPARE(p->focusWidget(), p->txthelp);
            QCOMPARE(p->txthelp->toPlainText().trimmed(), shown.trimmed());
            p->show();
            QVERIFY(QTest::qWaitForWindowExposed(p));
            QVERIFY(p->txthelp->verticalScrollBar()->maximum() > 0);
            QCOMPARE(p->txthelp->verticalScrollBar()->value(), 0);
            QTest::keyClicks(p->txthelp, "typed");
            QTest::keyClick(p->txthelp, Qt::Key_Return);
            QTest::keyClick(p->txthelp, Qt::Key_Delete);
            QCOMPARE(p->txthelp->toPlainText().trimmed(), shown.trimmed());
            // Selecting still works.
            QTest::keyClick(p->txthelp, Qt::Key_A, Qt::ControlModifier);
            QVERIFY(p->txthelp->textCursor().hasSelection());
            p->txthelp->verticalScrollBar()->setValue(p->txthelp->verticalScrollBar()->maximum());
            QSignalSpy finished(p, &QDialog::finished);
            p->cmdok_Click();
            QCOMPARE(finished.count(), 1);
        }});
        t.w.mnureadme_Click();
        QVERIFY(modal.done());
    }
    VERIFY_DONE(t.script);
}

void tst_helpabout::escDoesNothing()
{
    LoadedWindow t;
    ScriptedModal modal({[&](QDialog *d) {
                             auto *p = qobject_cast<frmhelp *>(d);
                             QVERIFY(p);
                             QSignalSpy finished(p, &QDialog::finished);
                             QTest::keyClick(p->txthelp, Qt::Key_Escape);
                             QTest::keyClick(p->cmdok, Qt::Key_Escape);
                             QCOMPARE(finished.count(), 0);
                             p->show();
                             QVERIFY(p->close());
                             QCOMPARE(finished.count(), 1);
                         },
                         [&](QDialog *d) {
                             auto *p = qobject_cast<frmabout *>(d);
                             QVERIFY(p);
                             QSignalSpy finished(p, &QDialog::finished);
                             QTest::keyClick(p->Command1, Qt::Key_Escape);
                             QCOMPARE(finished.count(), 0);
                             // Bye holds the focus, so Enter presses it.
                             QTest::keyClick(p->Command1, Qt::Key_Return);
                             QCOMPARE(finished.count(), 1);
                         }});
    t.w.mnureadme_Click();
    t.w.mnuhelpabout_Click();
    QVERIFY(modal.done());
    VERIFY_DONE(t.script);
}

void tst_helpabout::aboutCentredHorizontally()
{
    LoadedWindow t;
    ScriptedModal modal({[&](QDialog *d) {
        auto *p = qobject_cast<frmabout *>(d);
        QVERIFY(p);
        QCOMPARE(p->windowTitle(), QStringLiteral("About"));
        QCOMPARE(p->size(), QSize(platform::twips(4590), platform::twips(3150)));
        const int screenwidth = platform::screensize().width();
        QCOMPARE(p->x(), (screenwidth - p->width()) / 2);
        QCOMPARE(p->y(), platform::twips(2835));
        // Showing the window keeps the place it chose.
        p->show();
        QCOMPARE(p->x(), (screenwidth - p->width()) / 2);
        QCOMPARE(p->focusWidget(), p->Command1);
        p->Command1_Click();
    }});
    t.w.mnuhelpabout_Click();
    QVERIFY(modal.done());
    VERIFY_DONE(t.script);
}

QTEST_MAIN(tst_helpabout)
#include "tst_helpabout.moc"
