// The Info dialog: the header it shows comes from the file every time it opens, OK changes
// the book in memory only, and the Enter key moves through its two boxes.

#include "platform/files.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/dialogs/frminfo.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/frmquiz.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

void useinfo(frmquiz &w, const std::function<void(frminfo *)> &step)
{
    ScriptedModal modal({[&](QDialog *d) {
        auto *p = qobject_cast<frminfo *>(d);
        QVERIFY(p);
        step(p);
    }});
    w.mnuinfo_Click();
    QVERIFY(modal.done());
}

} // namespace

class tst_info : public QObject
{
    Q_OBJECT

private slots:
    void okChangesMemoryUntilSaved();
    void secondOpeningShowsStoredValues();
    void enterKey_data();
    void enterKey();
    void escAndCloseBoxChangeNothing();
    void unreadableBook_data();
    void unreadableBook();
};

void tst_info::okChangesMemoryUntilSaved()
{
    LoadedWindow t;
    const QString path =
        t.env.writebook("info.Q", makeheader(2, "History", "Hal"), makequestions(2));
    t.w.openbook(QStringLiteral("info.Q"), true);
    QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w));
    auto &s = modquiz::state();

    useinfo(t.w, [&](frminfo *p) {
        QCOMPARE(p->labname->text(), QStringLiteral("info.Q"));
        QCOMPARE(p->txtcatagory->text(), QStringLiteral("History"));
        QCOMPARE(p->txtauthor->text(), QStringLiteral("Hal"));
        QCOMPARE(focusname(p), QStringLiteral("txtauthor"));
        p->txtcatagory->setText("");
        p->txtauthor->setText("Henrietta");
        p->cmdok_Click();
    });
    QCOMPARE(s.qbheader.category, QString());
    QCOMPARE(s.qbheader.author, QStringLiteral("Henrietta"));
    QVERIFY(s.qbchanged);
    // Nothing reaches the file before the next save.
    QVERIFY(filebytes(path).startsWith(qbook::encodeheader(makeheader(2, "History", "Hal"))));

    t.w.editpanel().cmdsave_Click();
    QVERIFY(!s.qbchanged);
    QBookHeader header;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(path), header, questions));
    QCOMPARE(header, makeheader(2, "", "Henrietta"));
    VERIFY_DONE(t.script);
}

void tst_info::secondOpeningShowsStoredValues()
{
    LoadedWindow t;
    t.env.writebook("twice.Q", makeheader(3, "Stored", "Stan"), makequestions(3));
    t.w.openbook(QStringLiteral("twice.Q"), true);
    auto &s = modquiz::state();
    // The book in memory has a question more than the file says.
    t.w.editpanel().cmdlast_Click();
    t.w.editpanel().cmdadd_Click();
    s.qbheader.count = 9;

    useinfo(t.w, [&](frminfo *p) {
        p->txtauthor->setText("Unsaved");
        p->cmdok_Click();
    });
    QCOMPARE(s.qbheader.author, QStringLiteral("Unsaved"));
    useinfo(t.w, [&](frminfo *p) {
        QCOMPARE(p->txtauthor->text(), QStringLiteral("Stan"));
        QCOMPARE(p->txtcatagory->text(), QStringLiteral("Stored"));
        p->cmdcancel_Click();
    });
    // The load put the stored category and author back, and Cancel kept them; the count in
    // memory is not the file's business.
    QCOMPARE(s.qbheader, makeheader(9, "Stored", "Stan"));
    QVERIFY(s.qbchanged);
    VERIFY_DONE(t.script);
}

void tst_info::enterKey_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<QString>("focus");
    QTest::newRow("empty author") << "txtauthor"
                                  << "" << false << "txtauthor";
    QTest::newRow("filled author") << "txtauthor"
                                   << "Ed" << true << "";
    QTest::newRow("empty category") << "txtcatagory"
                                    << "" << false << "txtcatagory";
    QTest::newRow("filled category") << "txtcatagory"
                                     << "Art" << false << "txtauthor";
}

void tst_info::enterKey()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    QFETCH(bool, closes);
    QFETCH(QString, focus);
    LoadedWindow t;
    t.env.writebook("keys.Q", makeheader(1, "Old", "Olaf"), makequestions(1));
    t.w.openbook(QStringLiteral("keys.Q"), true);

    useinfo(t.w, [&](frminfo *p) {
        QSignalSpy finished(p, &QDialog::finished);
        auto *edit = p->findChild<QLineEdit *>(box);
        QVERIFY(edit);
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), text);
        QCOMPARE(finished.count(), closes ? 1 : 0);
        if (!closes) {
            QCOMPARE(focusname(p), focus);
            p->cmdcancel_Click();
        }
    });
    QCOMPARE(modquiz::state().qbchanged, closes);
    QCOMPARE(modquiz::state().qbheader.author, closes ? text : QStringLiteral("Olaf"));
    VERIFY_DONE(t.script);
}

void tst_info::escAndCloseBoxChangeNothing()
{
    LoadedWindow t;
    t.env.writebook("esc.Q", makeheader(1, "Keep", "Kim"), makequestions(1));
    t.w.openbook(QStringLiteral("esc.Q"), true);
    useinfo(t.w, [&](frminfo *p) {
        QSignalSpy finished(p, &QDialog::finished);
        p->txtauthor->setText("Lost");
        QTest::keyClick(p->txtauthor, Qt::Key_Escape);
        QCOMPARE(finished.count(), 1);
    });
    useinfo(t.w, [&](frminfo *p) {
        p->show();
        p->txtcatagory->setText("Lost");
        QVERIFY(p->close());
    });
    QCOMPARE(modquiz::state().qbheader, makeheader(1, "Keep", "Kim"));
    QVERIFY(!modquiz::state().qbchanged);
    VERIFY_DONE(t.script);
}

void tst_info::unreadableBook_data()
{
    QTest::addColumn<int>("keep"); // bytes of the file left behind the program; -1 removes it
    QTest::newRow("removed") << -1;
    QTest::newRow("emptied") << 0;
    QTest::newRow("cut in the header") << 5;
}

// A book removed or cut by another program holds no header to show: the boxes show what
// memory holds, and OK then Save still write a sound book.
void tst_info::unreadableBook()
{
    QFETCH(int, keep);
    TestEnvironment env;
    ScriptedMessages script({{"Error: Cannot open file"}});
    frmquiz w;
    w.Form_Load({});
    const QString path = env.writebook("vanish.Q", makeheader(1, "Mem", "Mo"), makequestions(1));
    w.openbook(QStringLiteral("vanish.Q"), true);
    if (keep < 0)
        QVERIFY(QFile::remove(path));
    else
        QVERIFY(QFile::resize(path, keep));
    useinfo(w, [&](frminfo *p) {
        QCOMPARE(p->txtauthor->text(), QStringLiteral("Mo"));
        QCOMPARE(p->txtcatagory->text(), QStringLiteral("Mem"));
        p->txtauthor->setText(QStringLiteral("New"));
        p->cmdok_Click();
    });
    QCOMPARE(modquiz::state().qbheader, makeheader(1, "Mem", "New"));
    VERIFY_DONE(script);

    if (keep >= 0) // the file changed behind the program: the save asks first
        script.expect({"The file vanish.Q was changed by another program since it was opened. "
                       "Overwrite it?",
                       Yes, "Save", YesNo});
    w.editpanel().cmdsave_Click();
    VERIFY_DONE(script);
    QBookHeader saved;
    QList<QuestionRecord> questions;
    QVERIFY(modquiz::parsebook(filebytes(path), saved, questions));
    QCOMPARE(saved, makeheader(1, "Mem", "New"));
}

QTEST_MAIN(tst_info)
#include "tst_info.moc"
