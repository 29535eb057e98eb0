// The Edit menu's run options: One Chance and the practice options, kept in the settings store
// and copied by the run panel when a run starts.
#include "ui/main/frmquiz.h"

#include "ui/main/edit/editpanel.h"
#include "ui/main/quizsettings.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QMenu>

using Practice = QuizSettings::Practice;

void frmquiz::buildpracticemenus()
{
    auto additem = [this](const char *name, const QString &caption, void (frmquiz::*handler)()) {
        auto *action = new QAction(caption, mnuedit);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        mnuedit->insertAction(mnueditundodelete, action);
        // As for One Chance: the handler is the one place that flips the check mark.
        connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
            action->setChecked(!checked);
            (this->*handler)();
        });
        return action;
    };
    mnushufflequestions = additem("mnushufflequestions", QStringLiteral("S&huffle Questions"),
                                  &frmquiz::mnushufflequestions_Click);
    mnushuffleanswers = additem("mnushuffleanswers", QStringLiteral("Shuffle &Answers"),
                                &frmquiz::mnushuffleanswers_Click);
    mnureviewmissed = additem("mnureviewmissed", QStringLiteral("&Review Missed Questions"),
                              &frmquiz::mnureviewmissed_Click);
    mnukeepresults =
        additem("mnukeepresults", QStringLiteral("Keep Resul&ts"), &frmquiz::mnukeepresults_Click);

    mnurecent = new QMenu(QStringLiteral("Recent &Books"), mnuquiz);
    mnurecent->setObjectName(QStringLiteral("mnurecent"));
    mnurecent->setToolTipsVisible(true);
    mnuquiz->insertMenu(mnuquizexit, mnurecent);
    connect(mnurecent, &QMenu::aboutToShow, this, &frmquiz::fillrecentmenu);
    fillrecentmenu();

    // A book dropped on an edit box runs like one dropped on the window.
    m_edit->watchdrops(this);

    // F1 is the desktop's help key; Ctrl+H stays the item's own shortcut.
    mnureadme->setShortcuts({mnureadme->shortcut(), QKeySequence(Qt::Key_F1)});
}

void frmquiz::readpracticeoptions()
{
    mnushufflequestions->setChecked(QuizSettings::practice(Practice::ShuffleQuestions));
    mnushuffleanswers->setChecked(QuizSettings::practice(Practice::ShuffleAnswers));
    mnureviewmissed->setChecked(QuizSettings::practice(Practice::ReviewMissed));
    mnukeepresults->setChecked(QuizSettings::keepresults());
    copypracticeoptions();
}

void frmquiz::copypracticeoptions()
{
    m_run->setpractice(mnushufflequestions->isChecked(), mnushuffleanswers->isChecked(),
                       mnureviewmissed->isChecked());
}

void frmquiz::mnushufflequestions_Click()
{
    mnushufflequestions->setChecked(!mnushufflequestions->isChecked());
    QuizSettings::setpractice(Practice::ShuffleQuestions, mnushufflequestions->isChecked());
}

void frmquiz::mnushuffleanswers_Click()
{
    mnushuffleanswers->setChecked(!mnushuffleanswers->isChecked());
    QuizSettings::setpractice(Practice::ShuffleAnswers, mnushuffleanswers->isChecked());
}

void frmquiz::mnureviewmissed_Click()
{
    mnureviewmissed->setChecked(!mnureviewmissed->isChecked());
    QuizSettings::setpractice(Practice::ReviewMissed, mnureviewmissed->isChecked());
}

void frmquiz::mnukeepresults_Click()
{
    mnukeepresults->setChecked(!mnukeepresults->isChecked());
    QuizSettings::setkeepresults(mnukeepresults->isChecked());
}

void frmquiz::mnuonechance_Click()
{
    mnuonechance->setChecked(!mnuonechance->isChecked());
    // Stored at once: the option survives a crash or a killed process.
    QuizSettings::setonechance(mnuonechance->isChecked());
}
