#include "ui/main/frmquiz.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "platform/process.h"
#include "storage/modquiz.h"
#include "ui/dialogs/frmabout.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/dialogs/frmhelp.h"
#include "ui/dialogs/frminfo.h"
#include "ui/dialogs/frmnewquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/run/runpanel.h"

#include <memory>

namespace {

// Every window of these commands starts afresh, with nothing left from its last use: it is
// built for each opening and discarded when it closes.
void showfresh(const std::unique_ptr<QDialog> &window)
{
    platform::showmodal(window.get());
}

} // namespace

void frmquiz::mnuquiznew_Click()
{
    auto &state = modquiz::state();
    state.dlgok = false;
    if (!readyforbook())
        return;
    showfresh(std::make_unique<frmnewquiz>(this, this));
    if (!state.dlgok) {
        closeorphanedrun();
        return;
    }
    starteditor();
}

void frmquiz::mnuquizedit_Click()
{
    auto &state = modquiz::state();
    if (!readyforbook())
        return;
    state.dlgok = false;
    picker();
    showpicker();
    if (!state.dlgok) {
        closeorphanedrun();
        return;
    }
    starteditor();
}

void frmquiz::starteditor()
{
    editstarted = true;
    m_run->setVisible(false);
    m_edit->setVisible(true);
    m_edit->starttyping();
    rememberbook();
}

void frmquiz::closeorphanedrun()
{
    // The edit panel's Close empties the question list even while a quiz is on screen; a run
    // without its questions cannot go on, so it ends here.
    const bool running = m_run->isVisibleTo(this);
    if (running && modquiz::lastquestion() == 0)
        m_run->cmdqbclose_Click();
}

void frmquiz::mnuquizrun_Click()
{
    auto &s = modquiz::state();
    if (!readyforbook())
        return;
    mnueditundodelete->setEnabled(false);
    m_options->copyto(*m_run);
    picker()->setopenmode();
    s.dlgok = false;
    showpicker();
    if (s.dlgok) {
        m_run->show();
        m_edit->hide();
        m_run->setlabnum(QStringLiteral("1"));
        rememberbook();
    } else {
        closeorphanedrun();
    }
    m_run->setscore(0);
}

void frmquiz::mnuquizimport_Click()
{
    modquiz::state().dlgok = false;
    if (!readyforbook())
        return;
    const bool opened = m_transfer.importbook([this](const QString &path) {
        if (!openbook(path, /*editing=*/true))
            return false;
        m_edit->starttyping();
        return true;
    });
    if (!opened)
        closeorphanedrun();
}

void frmquiz::mnurecentbook_Click(const QString &path)
{
    RecentMenu::forgetmissing(path);
    (void)openbook(path, /*editing=*/false);
    m_recent->fill();
}

void frmquiz::Form_DragDrop(const QMimeData *data)
{
    const QString path = RecentMenu::droppedbook(data);
    if (!path.isEmpty())
        mnurecentbook_Click(path);
}

void frmquiz::mnuquizexit_Click()
{
    // Close kept the book (the user cancelled its prompt or the save failed): the program
    // goes on with the book and its changes.
    if (!m_edit->cmdeditclose_Click())
        return;
    m_run->cmdqbclose_Click();
    auto &state = modquiz::state();
    modquiz::resizequestions(0);
    state.curq = 0;
    platform::closeall();
    platform::endprocess(0);
}

bool frmquiz::Form_QueryUnload()
{
    auto &state = modquiz::state();
    if (!m_edit->changessettled())
        return false;
    modquiz::resizequestions(0);
    state.curq = 0;
    modquiz::closebook();
    return true;
}

void frmquiz::mnuinfo_Click()
{
    showfresh(std::make_unique<frminfo>(this));
}

void frmquiz::mnureadme_Click()
{
    showfresh(std::make_unique<frmhelp>(this));
}

void frmquiz::mnuhelpabout_Click()
{
    showfresh(std::make_unique<frmabout>(this));
}

void frmquiz::mnueditundodelete_Click()
{
    m_edit->undodelete();
}

bool frmquiz::readyforbook()
{
    if (modquiz::state().qbchanged && !m_edit->saveprompt())
        return false;
    // Close keeps the book when the user cancels its prompt or the save fails.
    return !editstarted || m_edit->cmdeditclose_Click();
}

bool frmquiz::closebooks()
{
    m_run->cmdqbclose_Click();
    return m_edit->cmdeditclose_Click();
}
