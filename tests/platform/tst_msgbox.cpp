// The real message box (built, shown offscreen, answered by keys) and the scripted one.
#include "platform/msgbox.h"
#include "tests/support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

class tst_msgbox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loneCarriageReturnShowsAsLineBreak_data();
    void loneCarriageReturnShowsAsLineBreak();
    void boxHasNoIconAndPlainButtons_data();
    void boxHasNoIconAndPlainButtons();
    void escapeAndCloseAnswerCancel_data();
    void escapeAndCloseAnswerCancel();
    void titleDefaultsToQuiz();
    void scriptAnswersInOrderAndChecksEverything();
    void realPromptsShowOnEveryPlatform();
};

void tst_msgbox::loneCarriageReturnShowsAsLineBreak_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("lone CR") << "Quiz is over \rYour score is 5"
                             << "Quiz is over \nYour score is 5";
    QTest::newRow("CR LF") << "wrong\r\nCorrect answer is x"
                           << "wrong\nCorrect answer is x";
    QTest::newRow("none") << "File not found"
                          << "File not found";
    QTest::newRow("two lines") << "a\r\nb\r\nc"
                               << "a\nb\nc";
}

void tst_msgbox::loneCarriageReturnShowsAsLineBreak()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QCOMPARE(platform::displaytext(text), shown);
    const auto box = platform::makemsgbox(text, platform::Buttons::Ok, {}, nullptr);
    QCOMPARE(box->text(), shown);
}

void tst_msgbox::boxHasNoIconAndPlainButtons_data()
{
    QTest::addColumn<platform::Buttons>("buttons");
    QTest::addColumn<QStringList>("captions");
    QTest::newRow("OK") << platform::Buttons::Ok << QStringList{"OK"};
    QTest::newRow("OK Cancel") << platform::Buttons::OkCancel << QStringList{"OK", "Cancel"};
    QTest::newRow("Yes No Cancel")
        << platform::Buttons::YesNoCancel << QStringList{"Yes", "No", "Cancel"};
    QTest::newRow("Yes No") << platform::Buttons::YesNo << QStringList{"Yes", "No"};
}

void tst_msgbox::boxHasNoIconAndPlainButtons()
{
    QFETCH(platform::Buttons, buttons);
    QFETCH(QStringList, captions);
    const auto box = platform::makemsgbox("text", buttons, "Save", nullptr);
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
    QCOMPARE(box->windowTitle(), QString("Save"));
    QStringList seen;
    for (QAbstractButton *button : box->buttons()) {
        QVERIFY2(button->icon().isNull(), qPrintable(button->text()));
        seen.append(button->text().remove('&'));
    }
    seen.sort();
    captions.sort();
    QCOMPARE(seen, captions);
}

void tst_msgbox::escapeAndCloseAnswerCancel_data()
{
    QTest::addColumn<platform::Buttons>("buttons");
    QTest::addColumn<bool>("useclosebox");
    QTest::addColumn<platform::Answer>("expected");
    const auto cancel = platform::Answer::Cancel;
    QTest::newRow("OK/Cancel, Esc") << platform::Buttons::OkCancel << false << cancel;
    QTest::newRow("Yes/No/Cancel, Esc") << platform::Buttons::YesNoCancel << false << cancel;
    QTest::newRow("OK/Cancel, close box") << platform::Buttons::OkCancel << true << cancel;
    QTest::newRow("Yes/No/Cancel, close box") << platform::Buttons::YesNoCancel << true << cancel;
    // A question without Cancel takes Esc and the close box as No.
    QTest::newRow("Yes/No, Esc") << platform::Buttons::YesNo << false << platform::Answer::No;
    QTest::newRow("Yes/No, close box") << platform::Buttons::YesNo << true << platform::Answer::No;
}

void tst_msgbox::escapeAndCloseAnswerCancel()
{
    QFETCH(platform::Buttons, buttons);
    QFETCH(bool, useclosebox);
    QFETCH(platform::Answer, expected);
    const auto box =
        platform::makemsgbox("Save Changes you made to a.Q?", buttons, "Save", nullptr);
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    if (useclosebox)
        box->close();
    else
        QTest::keyClick(box.get(), Qt::Key_Escape);
    QTRY_VERIFY(!box->isVisible());
    QCOMPARE(platform::answerof(*box), expected);
}

void tst_msgbox::titleDefaultsToQuiz()
{
    TestEnvironment env;
    ScriptedMessages script({{"File not found", Ok, "Quiz"}, {"Error saving file", Ok, "Error"}});
    QCOMPARE(platform::msgbox("File not found"), platform::Answer::Ok);
    QCOMPARE(platform::msgbox("Error saving file", platform::Buttons::Ok, "Error"),
             platform::Answer::Ok);
    VERIFY_DONE(script);
}

void tst_msgbox::scriptAnswersInOrderAndChecksEverything()
{
    TestEnvironment env;
    ScriptedMessages script({
        {"Save Changes you made to a.Q?", Cancel, "Save", YesNoCancel},
        {"File already exists! Overwrite?", Ok, "Overwrite?", OkCancel},
    });
    QCOMPARE(
        platform::msgbox("Save Changes you made to a.Q?", platform::Buttons::YesNoCancel, "Save"),
        platform::Answer::Cancel);
    QVERIFY(!script.done());
    QCOMPARE(platform::msgbox("File already exists! Overwrite?", platform::Buttons::OkCancel,
                              "Overwrite?"),
             platform::Answer::Ok);
    VERIFY_DONE(script);
    QCOMPARE(script.shown().size(), 2);
}

// The program shows its prompts whatever the platform, offscreen included; only the tests
// refuse a prompt that no script expects.
void tst_msgbox::realPromptsShowOnEveryPlatform()
{
    platform::setmsgboxhandler({});
    platform::setmodalhandler({});
    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Return); });
    const platform::Answer answer = platform::msgbox("File not found");

    QDialog dialog;
    QTimer::singleShot(0, &dialog, &QDialog::accept);
    platform::showmodal(&dialog);
    guardprompts();
    QCOMPARE(answer, platform::Answer::Ok);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
}

QTEST_MAIN(tst_msgbox)
#include "tst_msgbox.moc"
