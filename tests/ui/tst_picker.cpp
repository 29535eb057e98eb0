// The quiz book picker in both modes, driven through its handlers as a user would: choosing,
// previewing, confirming, cancelling and browsing folders, with every message it shows.

#include "platform/files.h"
#include "platform/folders.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "tests/support/windowsupport.h"
#include "ui/dialogs/folderlists.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/dialogs/frminfo.h"
#include "ui/main/frmquiz.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

enum class Mode { Edit, Open };

frmeditquiz *picker(QDialog *dialog)
{
    auto *p = qobject_cast<frmeditquiz *>(dialog);
    if (!p)
        QTest::qFail("the window shown is not the picker", __FILE__, __LINE__);
    return p;
}

// Opens the picker the way the menu does and hands it to step.
void usepicker(frmquiz &w, Mode mode, const std::function<void(frmeditquiz *)> &step)
{
    ScriptedModal modal({[&](QDialog *d) {
        if (auto *p = picker(d))
            step(p);
    }});
    if (mode == Mode::Edit)
        w.mnuquizedit_Click();
    else
        w.mnuquizrun_Click();
    QVERIFY(modal.done());
}

QString canonical(const QString &folder)
{
    return QDir(folder).canonicalPath();
}

QStringList listed(const QListWidget *list)
{
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->item(row)->text();
    return names;
}

} // namespace

class tst_picker : public QObject
{
    Q_OBJECT

private slots:
    void confirmGoodBook_data();
    void confirmGoodBook();
    void bookWithoutQuestions_data();
    void bookWithoutQuestions();
    void confirmFailures_data();
    void confirmFailures();
    void readOnlyBookRunsButDoesNotEdit();
    void unreadableBook_data();
    void unreadableBook();
    void vanishedFileOnClick();
    void onlyRegularFilesListedAndPreviewed();
    void clickThenCancelWhileRunning();
    void enterAndEscKeys();
    void closeBoxActsLikeCancel();
    void folderListMovesCurrentFolder();
    void unreadableFolderAndDrive();
    void bookTextsShowAsPlainText();
    void listIsTheFolderAtEveryShowing();
    void fileListByKeyboard();
};

void tst_picker::confirmGoodBook_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("doubleclick");
    QTest::addColumn<QString>("buttons");
    QTest::newRow("edit, one question") << Mode::Edit << 1 << false << "00001111";
    QTest::newRow("edit, three questions") << Mode::Edit << 3 << false << "11111111";
    QTest::newRow("edit, double click") << Mode::Edit << 3 << true << "11111111";
    QTest::newRow("open, three questions") << Mode::Open << 3 << false << QString();
    QTest::newRow("open, double click") << Mode::Open << 3 << true << QString();
}

void tst_picker::confirmGoodBook()
{
    QFETCH(Mode, mode);
    QFETCH(int, count);
    QFETCH(bool, doubleclick);
    QFETCH(QString, buttons);
    LoadedWindow t;
    t.env.writebook("other.Q", makeheader(9, "Other", "Olga"), makequestions(9));
    t.env.writebook("good.Q", makeheader(qint16(count), "Geography", "Gina"), makequestions(count));
    auto &s = modquiz::state();

    bool finished = false;
    usepicker(t.w, mode, [&](frmeditquiz *p) {
        QCOMPARE(p->ineditmode(), mode == Mode::Edit);
        QCOMPARE(p->windowTitle(), mode == Mode::Edit ? QString("Edit Quiz") : QString("Open"));
        QCOMPARE(listed(p->fileditquiz), QStringList({"good.Q", "other.Q"}));
        QSignalSpy closed(p, &QDialog::finished);
        QVERIFY(p->fileditquiz->selectname("good.Q"));
        QCOMPARE(p->txtfname->text(), QStringLiteral("good.Q"));
        QCOMPARE(s.qbpath, QStringLiteral("good.Q"));
        QCOMPARE(p->labcatagory->text(), QStringLiteral("Geography"));
        QCOMPARE(p->labauthor->text(), QStringLiteral("Gina"));
        QCOMPARE(p->labcount->text(), QString::number(count));
        QVERIFY(p->labcatagory->font().bold());
        if (doubleclick)
            p->fileditquiz_DblClick();
        else
            p->cmdedit_Click();
        finished = closed.count() == 1;
    });
    QVERIFY(finished);
    QVERIFY(s.dlgok);
    QVERIFY(platform::isopen(s.bookfile));
    QCOMPARE(modquiz::lastquestion(), count);
    QCOMPARE(int(s.curq), 1);
    if (mode == Mode::Edit) {
        QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w));
        QVERIFY(!control(t.w, "picqb")->isVisibleTo(&t.w));
        QVERIFY(t.w.editstarted);
        QVERIFY(t.w.mnuinfo->isEnabled());
        QCOMPARE(editbuttons(t.w), buttons);
        QCOMPARE(control<QPlainTextEdit>(t.w, "txtquestion")->toPlainText(),
                 QStringLiteral("Question 1"));
        QCOMPARE(control<QLabel>(t.w, "labnum1")->text(), QStringLiteral("1"));
        QCOMPARE(t.w.focusWidget(), control<QPlainTextEdit>(t.w, "txtquestion"));
    } else {
        QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
        QVERIFY(!control(t.w, "picedit")->isVisibleTo(&t.w));
        QVERIFY(!t.w.editstarted);
        QVERIFY(control<QLabel>(t.w, "labquestion")->text().contains(QStringLiteral("Question 1")));
    }
    VERIFY_DONE(t.script);
}

void tst_picker::bookWithoutQuestions_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::newRow("edit") << Mode::Edit;
    QTest::newRow("open") << Mode::Open;
}

void tst_picker::bookWithoutQuestions()
{
    QFETCH(Mode, mode);
    LoadedWindow t;
    // Records after a header whose count is 0 are not read: the book has no questions.
    t.env.writebook("empty.Q", makeheader(0), makequestions(2));
    auto &s = modquiz::state();
    if (mode == Mode::Open)
        t.script.expect({"This file contanis 0 questions"});

    usepicker(t.w, mode, [&](frmeditquiz *p) {
        QSignalSpy closed(p, &QDialog::finished);
        QVERIFY(p->fileditquiz->selectname("empty.Q"));
        p->cmdedit_Click();
        if (mode == Mode::Edit) {
            QCOMPARE(closed.count(), 1);
            return;
        }
        // Refused: the window stays, still in Open mode, and can be cancelled.
        QCOMPARE(closed.count(), 0);
        QVERIFY(!p->ineditmode());
        QCOMPARE(p->windowTitle(), QStringLiteral("Open"));
        QVERIFY(!s.dlgok);
        p->cmdcancel_Click();
        QCOMPARE(closed.count(), 1);
    });
    QCOMPARE(modquiz::lastquestion(), 0);
    QCOMPARE(int(s.curq), 0);
    if (mode == Mode::Edit) {
        QVERIFY(s.dlgok);
        QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w));
        QCOMPARE(editbuttons(t.w), QStringLiteral("00000001"));
        QVERIFY(t.w.mnuinfo->isEnabled());
        QVERIFY(control<QPlainTextEdit>(t.w, "txtquestion")->toPlainText().isEmpty());
    } else {
        QVERIFY(!s.dlgok);
        QVERIFY(!control(t.w, "picqb")->isVisibleTo(&t.w));
        QVERIFY(!platform::isopen(s.bookfile));
    }
    VERIFY_DONE(t.script);
}

void tst_picker::confirmFailures_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::newRow("empty name box") << ""
                                    << "please select a file";
    QTest::newRow("no such file") << "missing.Q"
                                  << "File not found";
    QTest::newRow("a folder") << "folder.Q"
                              << "File not found";
    QTest::newRow("a hidden file") << ".hidden.Q"
                                   << "File not found";
    QTest::newRow("through a file") << "plain.txt/book.Q"
                                    << "File not found";
    QTest::newRow("name too long") << QString(300, QLatin1Char('n')) + ".Q"
                                   << "The file name is too long";
}

void tst_picker::confirmFailures()
{
    QFETCH(QString, typed);
    QFETCH(QString, message);
    TestEnvironment env;
    ScriptedMessages script({{message}, {message}});
    frmquiz w;
    w.Form_Load({});
    QDir(env.folder()).mkdir("folder.Q");
    env.writebook(".hidden.Q", makeheader(1), makequestions(1));
    QFile plain(env.path("plain.txt"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    // A quiz is running: a refused name must not end it.
    const QString running = env.writebook("running.Q", makeheader(2), makequestions(2));
    w.openbook(running, false);
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));
    auto &s = modquiz::state();

    for (const Mode mode : {Mode::Edit, Mode::Open}) {
        usepicker(w, mode, [&](frmeditquiz *p) {
            QSignalSpy closed(p, &QDialog::finished);
            p->txtfname->setText(typed);
            p->cmdedit_Click();
            QCOMPARE(closed.count(), 0);
            p->cmdcancel_Click();
        });
        QVERIFY(!s.dlgok);
    }
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));
    QCOMPARE(modquiz::lastquestion(), 2);
    QCOMPARE(s.qbpath, running);
    VERIFY_DONE(script);
}

void tst_picker::readOnlyBookRunsButDoesNotEdit()
{
    TestEnvironment env;
    ScriptedMessages script({{"Error: Cannot open file"}});
    frmquiz w;
    w.Form_Load({});
    const QString path = env.writebook("locked.Q", makeheader(2), makequestions(2));
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    auto &s = modquiz::state();

    usepicker(w, Mode::Edit, [&](frmeditquiz *p) {
        QSignalSpy closed(p, &QDialog::finished);
        p->txtfname->setText("locked.Q");
        p->cmdedit_Click();
        QCOMPARE(closed.count(), 0);
        QCOMPARE(s.qbpath, QStringLiteral("locked.Q"));
        p->cmdcancel_Click();
    });
    QVERIFY(!s.dlgok);
    QVERIFY(!control(w, "picedit")->isVisibleTo(&w));

    // Taking a quiz never writes, so the same book can be run.
    usepicker(w, Mode::Open, [&](frmeditquiz *p) {
        p->txtfname->setText("locked.Q");
        p->cmdedit_Click();
    });
    QVERIFY(s.dlgok);
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));
    QCOMPARE(modquiz::lastquestion(), 2);
    VERIFY_DONE(script);
}

void tst_picker::unreadableBook_data()
{
    QTest::addColumn<Mode>("mode");
    QTest::newRow("edit") << Mode::Edit;
    QTest::newRow("open") << Mode::Open;
}

void tst_picker::unreadableBook()
{
    QFETCH(Mode, mode);
    TestEnvironment env;
    ScriptedMessages script({{"Error: cannot read file"}});
    frmquiz w;
    w.Form_Load({});
    // One record more than a book can hold: the loader gives up on it.
    QByteArray bytes;
    qbook::appendheader(bytes, makeheader(1));
    const QByteArray record = qbook::encoderecord(QuestionRecord{});
    for (int i = 0; i <= qbook::maxquestions; ++i)
        bytes += record;
    QFile file(env.path("huge.Q"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();

    usepicker(w, mode, [&](frmeditquiz *p) {
        QSignalSpy closed(p, &QDialog::finished);
        p->txtfname->setText("huge.Q");
        p->cmdedit_Click();
        QCOMPARE(closed.count(), 0);
        p->cmdcancel_Click();
    });
    QVERIFY(!modquiz::state().dlgok);
    QVERIFY(!control(w, "picedit")->isVisibleTo(&w));
    QVERIFY(!control(w, "picqb")->isVisibleTo(&w));
    QCOMPARE(platform::openfilecount(), 0);
    VERIFY_DONE(script);
}

void tst_picker::vanishedFileOnClick()
{
    TestEnvironment env;
    ScriptedMessages script({{"File not found"}});
    frmquiz w;
    w.Form_Load({});
    const QString path = env.writebook("gone.Q", makeheader(2, "Old", "Otto"), makequestions(2));
    usepicker(w, Mode::Edit, [&](frmeditquiz *p) {
        QVERIFY(QFile::remove(path));
        QVERIFY(p->fileditquiz->selectname("gone.Q"));
        QCOMPARE(p->txtfname->text(), QStringLiteral("gone.Q"));
        QCOMPARE(modquiz::state().qbpath, QStringLiteral("gone.Q"));
        QVERIFY(p->labcatagory->text().isEmpty());
        p->cmdcancel_Click();
    });
    VERIFY_DONE(script);
}

// Names that lead to a pipe or a device cannot be opened and are not listed; a failed preview
// leaves nothing of the file shown before; a count that reads as negative shows the number of
// questions the file holds.
void tst_picker::onlyRegularFilesListedAndPreviewed()
{
    TestEnvironment env;
    ScriptedMessages script({{"File not found"}});
    frmquiz w;
    w.Form_Load({});
    env.writebook("a.Q", makeheader(-32768, "Art", "Ada"), makequestions(2));
    env.writebook("b.Q", makeheader(1), makequestions(1));
    QVERIFY(makefifo(env.path("pipe.Q")));
    QVERIFY(makedevice(env.path("device.Q")));
    QVERIFY(QFile::link(env.path("pipe.Q"), env.path("topipe.Q")));
    QVERIFY(QFile::link(env.path("device.Q"), env.path("todevice.Q")));
    QVERIFY(QFile::link(env.path("nothing"), env.path("dangling.Q")));

    usepicker(w, Mode::Edit, [&](frmeditquiz *p) {
        QCOMPARE(listed(p->fileditquiz), (QStringList{"a.Q", "b.Q"}));
        QVERIFY(p->fileditquiz->selectname("a.Q"));
        QCOMPARE(p->labcatagory->text(), QStringLiteral("Art"));
        QCOMPARE(p->labcount->text(), QStringLiteral("2"));

        QVERIFY(QFile::remove(env.path("b.Q")));
        QVERIFY(makefifo(env.path("b.Q")));
        QVERIFY(p->fileditquiz->selectname("b.Q"));
        QVERIFY(p->labcatagory->text().isEmpty());
        QVERIFY(p->labauthor->text().isEmpty());
        QVERIFY(p->labcount->text().isEmpty());
        p->cmdcancel_Click();
    });
    VERIFY_DONE(script);
}

void tst_picker::clickThenCancelWhileRunning()
{
    LoadedWindow t;
    t.env.writebook("run.Q", makeheader(2, "Run", "Rita"), makequestions(2));
    t.env.writebook("seven.Q", makeheader(7, "Seven", "Sam"), makequestions(7));
    auto &s = modquiz::state();
    usepicker(t.w, Mode::Open, [&](frmeditquiz *p) {
        p->txtfname->setText("run.Q");
        p->cmdedit_Click();
    });
    QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
    QVERIFY(platform::isopen(s.bookfile));

    usepicker(t.w, Mode::Open, [&](frmeditquiz *p) {
        QVERIFY(p->fileditquiz->selectname("seven.Q"));
        p->cmdcancel_Click();
    });
    QCOMPARE(s.qbpath, QStringLiteral("seven.Q"));
    QCOMPARE(s.qbheader, makeheader(7, "Seven", "Sam"));
    QVERIFY(!s.dlgok);
    QVERIFY(!platform::isopen(s.bookfile));
    // The run goes on from memory, and its end uses the header just previewed.
    QVERIFY(control(t.w, "picqb")->isVisibleTo(&t.w));
    QCOMPARE(modquiz::lastquestion(), 2);
    t.script.expect({"Quiz is over \rYour score is 0 out of 70", Ok, "Quiz Over"});
    t.w.runpanel().cmdskip_Click();
    t.w.runpanel().cmdskip_Click();
    VERIFY_DONE(t.script);
}

void tst_picker::enterAndEscKeys()
{
    TestEnvironment env;
    ScriptedMessages script({{"please select a file"}});
    frmquiz w;
    w.Form_Load({});
    env.writebook("keys.Q", makeheader(3), makequestions(3));
    usepicker(w, Mode::Edit, [&](frmeditquiz *p) {
        QSignalSpy closed(p, &QDialog::finished);
        QTest::keyClick(p->txtfname, Qt::Key_Return);
        QCOMPARE(closed.count(), 0);
        QVERIFY(p->txtfname->text().isEmpty());
        QTest::keyClick(p->txtfname, Qt::Key_Escape);
        QCOMPARE(closed.count(), 1);
    });
    QVERIFY(!modquiz::state().dlgok);

    // Enter in the file list confirms the selected book.
    usepicker(w, Mode::Open, [&](frmeditquiz *p) {
        QVERIFY(p->fileditquiz->selectname("keys.Q"));
        QTest::keyClick(p->fileditquiz, Qt::Key_Return);
    });
    QVERIFY(modquiz::state().dlgok);
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));

    // A typed name is opened as typed, with Enter in the name box.
    QVERIFY(QFile::rename(env.path("keys.Q"), env.path("keys.book")));
    usepicker(w, Mode::Edit, [&](frmeditquiz *p) {
        QTest::keyClicks(p->txtfname, "keys.book");
        QTest::keyClick(p->txtfname, Qt::Key_Enter);
    });
    QVERIFY(control(w, "picedit")->isVisibleTo(&w));
    QCOMPARE(modquiz::state().qbpath, QStringLiteral("keys.book"));
    VERIFY_DONE(script);
}

void tst_picker::closeBoxActsLikeCancel()
{
    LoadedWindow t;
    t.env.writebook("first.Q", makeheader(2), makequestions(2));
    usepicker(t.w, Mode::Edit, [&](frmeditquiz *p) {
        p->txtfname->setText("first.Q");
        p->cmdedit_Click();
    });
    QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w));

    // Edit again, and the picker closed with its close box: nothing switches to editing.
    usepicker(t.w, Mode::Edit, [&](frmeditquiz *p) {
        p->show();
        QSignalSpy closed(p, &QDialog::finished);
        QVERIFY(p->close());
        QCOMPARE(closed.count(), 1);
    });
    QVERIFY(!modquiz::state().dlgok);
    QVERIFY(!control(t.w, "picedit")->isVisibleTo(&t.w));
    QCOMPARE(platform::openfilecount(), 0);
    VERIFY_DONE(t.script);
}

void tst_picker::folderListMovesCurrentFolder()
{
    LoadedWindow t;
    QVERIFY(QDir(t.env.folder()).mkpath("inner/deeper"));
    const QString inner = canonical(t.env.path("inner"));
    t.env.writebook("inner/Lower.q", makeheader(1), makequestions(1));
    t.env.writebook("inner/upper.Q", makeheader(2), makequestions(2));
    t.env.writebook("inner/.hidden.Q", makeheader(1), makequestions(1));
    t.env.writebook("inner/notes.txt", makeheader(1), {});
    t.env.writebook("top.Q", makeheader(1), makequestions(1));

    usepicker(t.w, Mode::Edit, [&](frmeditquiz *p) {
        QCOMPARE(p->Direditquiz->path(), canonical(t.env.folder()));
        QCOMPARE(listed(p->fileditquiz), QStringList({"top.Q"}));
        const int row = p->Direditquiz->rowof(inner);
        QVERIFY(row > 0);
        // A single click only highlights a folder.
        p->Direditquiz->setCurrentRow(row);
        QCOMPARE(platform::currentfolder(), canonical(t.env.folder()));
        p->Direditquiz->openrow(row);
        QCOMPARE(p->Direditquiz->path(), inner);
        QCOMPARE(platform::currentfolder(), inner);
        QCOMPARE(listed(p->fileditquiz), QStringList({"Lower.q", "upper.Q"}));
        QVERIFY(p->Direditquiz->rowof(inner + "/deeper") > p->Direditquiz->rowof(inner));
        p->fileditquiz->selectname("upper.Q");
        p->cmdedit_Click();
    });
    // The bare name resolved against the folder the list showed.
    QCOMPARE(modquiz::state().qbpath, QStringLiteral("upper.Q"));
    QCOMPARE(modquiz::lastquestion(), 2);

    // The next opening starts where the last one left, and can go back up.
    usepicker(t.w, Mode::Open, [&](frmeditquiz *p) {
        QCOMPARE(p->Direditquiz->path(), inner);
        p->Direditquiz->openrow(p->Direditquiz->rowof(t.env.folder()));
        QCOMPARE(platform::currentfolder(), canonical(t.env.folder()));
        QCOMPARE(listed(p->fileditquiz), QStringList({"top.Q"}));
        p->cmdcancel_Click();
    });
    VERIFY_DONE(t.script);
}

void tst_picker::unreadableFolderAndDrive()
{
    LoadedWindow t;
    QVERIFY(QDir(t.env.folder()).mkdir("vanishing"));
    const QString start = canonical(t.env.folder());
    const QString vanishing = start + "/vanishing";
    t.env.writebook("here.Q", makeheader(1), makequestions(1));
    t.script.expect({"Cannot open the folder " + vanishing});
    t.script.expect({"Cannot read the drive /no/such/drive"});

    usepicker(t.w, Mode::Edit, [&](frmeditquiz *p) {
        const int row = p->Direditquiz->rowof(vanishing);
        QVERIFY(row > 0);
        QVERIFY(QDir(vanishing).removeRecursively());
        p->Direditquiz->openrow(row);
        QCOMPARE(p->Direditquiz->path(), start);
        QCOMPARE(platform::currentfolder(), start);

        p->Drveditquiz->addItem("/no/such/drive");
        p->Drveditquiz->setCurrentIndex(p->Drveditquiz->count() - 1);
        p->Drveditquiz_Change();
        QCOMPARE(p->Drveditquiz->drive(), platform::driveof(start));
        QCOMPARE(p->Direditquiz->path(), start);
        QCOMPARE(platform::currentfolder(), start);

        // Still usable.
        p->txtfname->setText("here.Q");
        p->cmdedit_Click();
    });
    QVERIFY(modquiz::state().dlgok);
    VERIFY_DONE(t.script);
}

// Texts from a book are never read as markup, wherever they are shown.
void tst_picker::bookTextsShowAsPlainText()
{
    LoadedWindow t;
    const QString category = QStringLiteral("<i>History</i> &amp; Art");
    const QString author = QStringLiteral("<b>Ann</b>");
    const QString name = QStringLiteral("<u>a<br>.Q");
    QuestionRecord q{QStringLiteral("What does <br> do?"), {"<hr>", "&lt;", "<b>x", "y"}, 1};
    t.env.writebook(name, makeheader(1, category, author), {q});
    const auto shows = [](const QLabel *label, const QString &text) {
        return label->text() == text && label->textFormat() == Qt::PlainText;
    };

    usepicker(t.w, Mode::Edit, [&](frmeditquiz *p) {
        QVERIFY(p->fileditquiz->selectname(name));
        QVERIFY(shows(p->labcatagory, category));
        QVERIFY(shows(p->labauthor, author));
        p->cmdedit_Click();
    });
    ScriptedModal info({[&](QDialog *d) {
        QVERIFY(shows(qobject_cast<frminfo *>(d)->labname, name));
        d->reject();
    }});
    t.w.mnuinfo_Click();
    QVERIFY(info.done());

    usepicker(t.w, Mode::Open, [&](frmeditquiz *p) {
        p->txtfname->setText(name);
        p->cmdedit_Click();
    });
    QVERIFY(shows(control<QLabel>(t.w, "labquestion"), q.question));
    for (int i = 0; i < 4; ++i)
        QVERIFY(shows(control<QLabel>(t.w, "labans" + QString::number(i)), q.answers[i]));
    VERIFY_DONE(t.script);
}

// Started with a book on the command line, the program builds no picker and lists no folder;
// a book made afterwards is in the list when the picker shows.
void tst_picker::listIsTheFolderAtEveryShowing()
{
    TestEnvironment env;
    ScriptedMessages script;
    env.writebook("first.Q", makeheader(1), makequestions(1));
    frmquiz w;
    w.Form_Load(Launch::run(QStringLiteral("first.Q")));
    QVERIFY(control(w, "picqb")->isVisibleTo(&w));
    QVERIFY(!w.findChild<frmeditquiz *>());

    env.writebook("made later.Q", makeheader(1), makequestions(1));
    usepicker(w, Mode::Edit, [&](frmeditquiz *p) {
        QCOMPARE(listed(p->fileditquiz), QStringList({"first.Q", "made later.Q"}));
        p->cmdcancel_Click();
    });
    VERIFY_DONE(script);
}

// Tabbing into the file list makes its first file current and previews it; arrows move the
// selection and the preview, typed letters find a file, and Enter opens the one selected.
void tst_picker::fileListByKeyboard()
{
    LoadedWindow t;
    t.env.writebook("alpha.Q", makeheader(1, "A"), makequestions(1));
    t.env.writebook("beta.Q", makeheader(2, "B"), makequestions(2));

    usepicker(t.w, Mode::Edit, [&](frmeditquiz *p) {
        p->show();
        QVERIFY(QTest::qWaitForWindowActive(p));
        QTest::keyClick(p->Direditquiz, Qt::Key_Tab);
        QTest::keyClick(p->Drveditquiz, Qt::Key_Tab);
        QCOMPARE(p->txtfname->text(), QStringLiteral("alpha.Q"));
        QCOMPARE(p->labcatagory->text(), QStringLiteral("A"));
        QTest::keyClick(p->fileditquiz, Qt::Key_Down);
        QCOMPARE(p->labcount->text(), QStringLiteral("2"));
        QTest::keyClicks(p->fileditquiz, "a");
        QTest::keyClick(p->fileditquiz, Qt::Key_Return);
    });
    QCOMPARE(modquiz::state().qbpath, QStringLiteral("alpha.Q"));
    QVERIFY(control(t.w, "picedit")->isVisibleTo(&t.w));
    VERIFY_DONE(t.script);
}

QTEST_MAIN(tst_picker)
#include "tst_picker.moc"
