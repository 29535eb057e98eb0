// The main window as loaded: its completed layout, size and place, the idle state, and the
// keyboard (Esc, access keys, menu shortcuts) reaching only what is visible and enabled.
#include "platform/files.h"
#include "platform/settings.h"
#include "platform/twips.h"
#include "storage/modquiz.h"
#include "tests/support/testsupport.h"
#include "ui/main/frmquiz.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <memory>

namespace {

const QString right10 = QStringLiteral("Your answer is correct 10 points added to your score");

std::unique_ptr<frmquiz> loaded(const Launch &launch = {})
{
    auto window = std::make_unique<frmquiz>();
    window->Form_Load(launch);
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get()))
        qWarning("the window did not become active");
    return window;
}

QString onechancesetting()
{
    return platform::readsetting(QStringLiteral("Tarvel"), QStringLiteral("General"),
                                 QStringLiteral("onechance"), QStringLiteral("<none>"));
}

} // namespace

class tst_mainwindow : public QObject
{
    Q_OBJECT

private slots:
    void answerRowsStackUnderTheQuestion();
    void fixedSizeAndPlace();
    void longTextsReadWholeInAScrollingPanel();
    void idleStateAfterLoad();
    void noButtonIsADefaultButton();
    void everyButtonHasAnAccessibleName();
    void escapePressesSkipOnlyInRunPanel();
    void enterPressesTheFocusedButton();
    void accessKeysReachTheVisiblePanelOnly();
    void disabledShortcutDoesNothing();
    void oneChanceSurvivesARestart();
    void closeBoxAsksAboutUnsavedChanges();
};

void tst_mainwindow::answerRowsStackUnderTheQuestion()
{
    TestEnvironment env;
    auto window = loaded();
    const int tops[4] = {1180, 2195, 3210, 4225};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(control<QLabel>(*window, "labans" + QString::number(i))->y(),
                 platform::twips(tops[i]));
        QCOMPARE(control<QPushButton>(*window, "cmdans" + QString::number(i))->y(),
                 platform::twips(tops[i]));
        QCOMPARE(control<QLabel>(*window, "labans" + QString::number(i))->x(),
                 platform::twips(840));
        QCOMPARE(control<QPushButton>(*window, "cmdans" + QString::number(i))->x(),
                 platform::twips(240));
    }
    // The rows stay where load put them, whatever a question shows later.
    env.writebook(QStringLiteral("b.Q"), makeheader(1), {makequestion(1)});
    auto running = loaded(Launch::run(QStringLiteral("b.Q")));
    QCOMPARE(control<QLabel>(*running, "labans3")->y(), platform::twips(4225));
}

void tst_mainwindow::fixedSizeAndPlace()
{
    TestEnvironment env;
    auto window = loaded();
    QCOMPARE(window->centralWidget()->size(), QSize(635, 402));
    QCOMPARE(window->minimumSize(), window->maximumSize());
    QCOMPARE(window->size(), window->minimumSize());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!window->windowIcon().isNull());

    // Centred across, 600 twips (40 pixels) above the middle. The frame is not known before
    // the window first shows, so its margins may shift the place by their size.
    const QSize screen = platform::screensize();
    const QRect frame = window->frameGeometry();
    const int slack = (frame.width() - window->width()) / 2 + 1;
    const int topslack = frame.height() - window->height() + 1;
    QVERIFY2(qAbs(frame.x() - (screen.width() - frame.width()) / 2) <= slack,
             qPrintable(QStringLiteral("left %1").arg(frame.x())));
    QVERIFY2(qAbs(frame.y() - ((screen.height() - frame.height()) / 2 - 40)) <= topslack,
             qPrintable(QStringLiteral("top %1").arg(frame.y())));

    // Both panels cover the whole client area.
    for (QWidget *panel : {control(*window, "picqb"), control(*window, "picedit")}) {
        QVERIFY(panel->geometry().contains(window->centralWidget()->rect()));
        QVERIFY(panel->width() >= window->width() && panel->height() >= window->height());
    }
}

void tst_mainwindow::longTextsReadWholeInAScrollingPanel()
{
    TestEnvironment env;
    const QString text = QString("A long text. ").repeated(40);
    env.writebook("long.Q", makeheader(1), {{text, {text, text, text, text}, 1}});
    auto window = loaded(Launch::run("long.Q"));
    QVERIFY(control<QPushButton>(*window, "cmdskip")->y() >
            control<QLabel>(*window, "labans3")->geometry().bottom());
    QVERIFY(control<QLabel>(*window, "labans3")->height() >=
            control<QLabel>(*window, "labans3")
                ->heightForWidth(control<QLabel>(*window, "labans3")->width()));
    QVERIFY(window->findChild<QScrollArea *>()->verticalScrollBar()->maximum() > 0);
    QVERIFY(window->maximumHeight() > window->minimumHeight());
}

void tst_mainwindow::idleStateAfterLoad()
{
    TestEnvironment env;
    auto window = loaded();
    QVERIFY(!control(*window, "picqb")->isVisible());
    QVERIFY(!control(*window, "picedit")->isVisible());
    auto *picture = window->findChild<QLabel *>(QStringLiteral("picbackground"));
    QVERIFY(picture);
    QVERIFY(picture->isVisible());
    QCOMPARE(picture->pixmap().size(), QSize(636, 402));

    for (QPushButton *button :
         {control<QPushButton>(*window, "cmdnext"), control<QPushButton>(*window, "cmdprev"),
          control<QPushButton>(*window, "cmdfirst"), control<QPushButton>(*window, "cmdlast"),
          control<QPushButton>(*window, "cmddelete"), control<QPushButton>(*window, "cmdupdate"),
          control<QPushButton>(*window, "cmdsave")})
        QVERIFY2(!button->isEnabled(), qPrintable(button->objectName()));
    QVERIFY(!window->mnueditundodelete->isEnabled());
    QVERIFY(!window->mnuinfo->isEnabled());
    for (QAction *item :
         {window->mnuquiznew, window->mnuquizedit, window->mnuquizrun, window->mnuquizexit,
          window->mnuonechance, window->mnureadme, window->mnuhelpabout})
        QVERIFY2(item->isEnabled(), qPrintable(item->objectName()));
    QVERIFY(control<QPushButton>(*window, "cmdadd")->isEnabled());
    QVERIFY(control<QPlainTextEdit>(*window, "txtquestion")->toPlainText().isEmpty());
    for (int i = 0; i < 4; ++i)
        QVERIFY(control<QLineEdit>(*window, "txtans" + QString::number(i))->text().isEmpty());
    QCOMPARE(modquiz::state().curq, qint16(0));
    QVERIFY(!modquiz::state().qbchanged);
    QCOMPARE(window->runpanel().score(), 0);
    QVERIFY(!window->runpanel().secondtry());
    QVERIFY(!window->startedwithcommandline());
}

void tst_mainwindow::noButtonIsADefaultButton()
{
    TestEnvironment env;
    auto window = loaded();
    const auto buttons = window->findChildren<QPushButton *>();
    QVERIFY(buttons.size() >= 15);
    for (const QPushButton *button : buttons)
        QVERIFY2(!button->autoDefault() && !button->isDefault(), qPrintable(button->objectName()));
}

void tst_mainwindow::everyButtonHasAnAccessibleName()
{
    TestEnvironment env;
    auto window = loaded();
    for (const QPushButton *button : window->findChildren<QPushButton *>()) {
        const QString name = button->accessibleName();
        QVERIFY2(!name.trimmed().isEmpty(), qPrintable(button->objectName()));
        QVERIFY2(!name.contains(QLatin1Char('&')), qPrintable(name));
    }
    QCOMPARE(control<QPushButton>(*window, "cmdans2")->accessibleName(),
             QStringLiteral("Answer C"));
    // Labels are read by their text.
    QVERIFY(control<QLabel>(*window, "labquestion")->accessibleName().isEmpty());
}

void tst_mainwindow::escapePressesSkipOnlyInRunPanel()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(4), makequestions(4));
    ScriptedMessages script;
    auto window = loaded(Launch::run(QStringLiteral("b.Q")));
    QVERIFY(control(*window, "picqb")->isVisible());

    QTest::keyClick(window.get(), Qt::Key_Escape);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));
    // From a focused answer button too.
    control<QPushButton>(*window, "cmdans1")->setFocus();
    QTest::keyClick(control<QPushButton>(*window, "cmdans1"), Qt::Key_Escape);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("3"));

    control<QPushButton>(*window, "cmdskip")->setEnabled(false);
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("3"));
    control<QPushButton>(*window, "cmdskip")->setEnabled(true);

    // Nothing runs: Esc does nothing at all, not even a message.
    window->runpanel().cmdqbclose_Click();
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QVERIFY(!control(*window, "picqb")->isVisible());
    QCOMPARE(modquiz::state().curq, qint16(0));

    // The edit panel has no cancel button.
    auto editing = loaded(Launch::edit(QStringLiteral("b.Q")));
    QVERIFY(control(*editing, "picedit")->isVisible());
    QTest::keyClick(editing.get(), Qt::Key_Escape);
    QVERIFY(control(*editing, "picedit")->isVisible());
    QCOMPARE(modquiz::state().curq, qint16(1));
    VERIFY_DONE(script);
}

// No button is a default one, so Enter (either key) reaches the focused button and presses it,
// as the space bar does.
void tst_mainwindow::enterPressesTheFocusedButton()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(4), makequestions(4));
    ScriptedMessages script({{right10}});
    auto window = loaded(Launch::run(QStringLiteral("b.Q")));
    control<QPushButton>(*window, "cmdans0")->setFocus();
    QTest::keyClick(control<QPushButton>(*window, "cmdans0"), Qt::Key_Return);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));
    // After the answer the focus is on Skip.
    QTest::keyClick(control<QPushButton>(*window, "cmdskip"), Qt::Key_Return);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("3"));
    QTest::keyClick(control<QPushButton>(*window, "cmdskip"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("4"));
    window->runpanel().cmdqbclose_Click();

    // The Enter flow of the edit panel ends on Next, which the next Enter presses.
    auto editing = loaded(Launch::edit(QStringLiteral("b.Q")));
    control<QLineEdit>(*editing, "txtcorrect")->setFocus();
    QTest::keyClick(control<QLineEdit>(*editing, "txtcorrect"), Qt::Key_Return);
    QCOMPARE(editing->focusWidget(), control<QPushButton>(*editing, "cmdnext"));
    QTest::keyClick(control<QPushButton>(*editing, "cmdnext"), Qt::Key_Return);
    QCOMPARE(modquiz::state().curq, qint16(2));
    QCOMPARE(control<QPlainTextEdit>(*editing, "txtquestion")->toPlainText(),
             QStringLiteral("Question 2"));
    VERIFY_DONE(script);
}

void tst_mainwindow::accessKeysReachTheVisiblePanelOnly()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(4), makequestions(4));
    ScriptedMessages script({{right10}});
    auto window = loaded(Launch::run(QStringLiteral("b.Q")));
    // Alt+A is the answer A here, not the edit panel's Add; Alt+S is Skip, not Save. An access
    // key clicks its button the way a mouse click does, a moment later.
    QTest::keyClick(window.get(), Qt::Key_A, Qt::AltModifier);
    QTRY_COMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("2"));
    VERIFY_DONE(script);
    QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(control<QLabel>(*window, "labnum")->text(), QStringLiteral("3"));
    QTest::keyClick(window.get(), Qt::Key_L, Qt::AltModifier);
    QTRY_VERIFY(!control(*window, "picqb")->isVisible());
    QCOMPARE(platform::openfilecount(), 0);

    // In the edit panel Alt+C is its Close, not the answer C (which would show a message).
    window.reset();
    auto editing = loaded(Launch::edit(QStringLiteral("b.Q")));
    QTest::keyClick(editing.get(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!control(*editing, "picedit")->isVisible());
    QCOMPARE(platform::openfilecount(), 0);
    VERIFY_DONE(script);
}

void tst_mainwindow::disabledShortcutDoesNothing()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(2), makequestions(2));
    ScriptedMessages script;
    {
        ScriptedModal none;
        auto window = loaded();
        QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
        QTest::keyClick(window.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(none.shown(), 0);
    }
    // Opened for editing, Info is enabled and Ctrl+I opens it.
    ScriptedModal info({[](QDialog *dialog) { dialog->reject(); }});
    auto window = loaded(Launch::edit(QStringLiteral("b.Q")));
    QVERIFY(window->mnuinfo->isEnabled());
    QTest::keyClick(window.get(), Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(info.shown(), 1);
    QVERIFY(info.done());
    VERIFY_DONE(script);
}

void tst_mainwindow::oneChanceSurvivesARestart()
{
    TestEnvironment env;
    ScriptedMessages script;
    auto first = loaded();
    QVERIFY(first->mnuonechance->isChecked());
    QCOMPARE(onechancesetting(), QStringLiteral("<none>"));
    // Through the menu item itself: one choice flips the check mark once.
    first->mnuonechance->trigger();
    QVERIFY(!first->mnuonechance->isChecked());
    QCOMPARE(onechancesetting(), QStringLiteral("False"));
    first.reset();

    auto second = loaded();
    QVERIFY(!second->mnuonechance->isChecked());
    QVERIFY(!second->runpanel().onechance());
    QTest::keyClick(second.get(), Qt::Key_O, Qt::ControlModifier);
    QVERIFY(second->mnuonechance->isChecked());
    QCOMPARE(onechancesetting(), QStringLiteral("True"));
    second.reset();

    auto third = loaded();
    QVERIFY(third->mnuonechance->isChecked());
    VERIFY_DONE(script);
}

void tst_mainwindow::closeBoxAsksAboutUnsavedChanges()
{
    TestEnvironment env;
    env.writebook(QStringLiteral("b.Q"), makeheader(2), makequestions(2));
    auto window = loaded(Launch::edit(QStringLiteral("b.Q")));
    auto &s = modquiz::state();
    s.qbchanged = true;
    const QString prompt = QStringLiteral("Save Changes you made to b.Q?");
    ScriptedMessages script({{prompt, Cancel, QStringLiteral("Save"), YesNoCancel}});
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QVERIFY(s.qbchanged);
    VERIFY_DONE(script);

    script.expect({prompt, No, QStringLiteral("Save"), YesNoCancel});
    QVERIFY(window->close());
    QVERIFY(!window->isVisible());
    VERIFY_DONE(script);
}

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
