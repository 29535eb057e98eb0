#include "ui/main/bookopener.h"

#include "platform/files.h"
#include "platform/msgbox.h"
#include "storage/modquiz.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/framesize.h"
#include "ui/main/recentmenu.h"
#include "ui/main/run/runpanel.h"
#include "ui/main/runoptions.h"

BookOpener::~BookOpener()
{
    delete m_picker.data();
}

std::optional<QString> BookOpener::refusal(const QString &path, bool editing, Opener by)
{
    if (!platform::normalfileexists(path))
        return editing || by == Opener::Picker ? QStringLiteral("File not found")
                                               : QStringLiteral("Error : File not found");
    // The picker leaves the rest to the loading and its messages.
    if (by == Opener::Picker)
        return std::nullopt;
    const platform::FileHandle handle = platform::openreadonly(path);
    if (handle == 0)
        return QStringLiteral("Error: Cannot open file");
    platform::closefile(handle);
    // The type mark is judged from the header alone: a large file that is no book costs
    // nothing.
    const std::optional<QBookHeader> header = modquiz::storedheader(path);
    if (!header || header->magic != QLatin1String(qbook::magicmark))
        return QStringLiteral("Error : Invalid file type");
    return std::nullopt;
}

bool BookOpener::openbook(const QString &path, bool editing, Opener by)
{
    auto &s = modquiz::state();
    s.dlgok = false;
    if (const std::optional<QString> why = refusal(path, editing, by)) {
        platform::msgbox(*why);
        return false;
    }
    // The picker closes the run first, then the edit panel with its save prompt; the command
    // that showed it has copied the run options and puts the book in the recent list.
    const bool picker = by == Opener::Picker;
    if (picker ? !closebooks() : !readyforbook())
        return false;
    if (!picker) {
        m.run->cmdqbclose_Click();
        if (!editing)
            m.options->copyto(*m.run);
    }
    s.qbpath = path;
    if (!loadfor(editing, by)) {
        // The loader may have shown the edit panel on the way: a book refused leaves neither
        // panel showing.
        if (!picker)
            m.edit->hide();
        return false;
    }
    if (!picker)
        m.recent->remember(modquiz::state().qbpath);
    return true;
}

bool BookOpener::loadfor(bool editing, Opener by)
{
    const bool picker = by == Opener::Picker;
    auto &s = modquiz::state();
    if (!modquiz::openbookfor(editing)) {
        platform::msgbox(QStringLiteral("Error: Cannot open file"));
        return false;
    }
    // The type mark is judged from the header alone, before any record is read: a large file
    // that is no book costs nothing.
    const bool header = picker || modquiz::loadheader();
    const bool isbook = picker || (header && s.qbheader.magic == QLatin1String(qbook::magicmark));
    if (!isbook || !loadbook()) {
        platform::msgbox(header && !isbook ? QStringLiteral("Error : Invalid file type")
                                           : QStringLiteral("Error: cannot read file"));
        // The picker's loader has already shown the edit panel; a half-read book must not be
        // edited and then saved over the whole one.
        if (picker)
            m.edit->cmdeditclose_Click();
        else
            platform::closeall();
        return false;
    }

    if (editing) {
        s.dlgok = true;
        m.editstarted = true;
        m.run->hide();
        entereditpanel(s.qbheader.count);
        return true;
    }

    if (s.qbheader.count == 0) {
        platform::msgbox(QStringLiteral("This file contanis 0 questions"));
        if (!picker)
            platform::closeall();
        return false;
    }
    s.dlgok = true;
    // The Run command shows the run once the picker has closed.
    if (picker)
        return true;
    m.run->show();
    m.edit->hide();
    m.run->askfirst();
    m.run->setlabnum(QStringLiteral("1"));
    return true;
}

void BookOpener::entereditpanel(qint16 count)
{
    m.edit->enter(count);
    // The edit panel has the design's size only: a window enlarged for a long question is not.
    m.size->fix();
    m.edit->show();
}

bool BookOpener::pickerineditmode() const
{
    // A picker is built only to be shown: one built here, at start-up, would list its folder
    // long before it is seen.
    return !m_picker || m_picker->ineditmode();
}

bool BookOpener::loadbook()
{
    auto &s = modquiz::state();
    modquiz::LoadFailure why = modquiz::LoadFailure::None;
    const bool loaded = modquiz::loadbook(&why);
    const bool editmode = pickerineditmode();
    // The picker in Edit mode shows the edit panel as soon as the records are read, even too
    // many of them.
    if ((loaded || why == modquiz::LoadFailure::TooMany) && !m_commandline && editmode) {
        m.size->fix();
        m.edit->show();
    }
    if (!loaded)
        return false;
    if (s.qbheader.count == 0) {
        m.edit->clearboxes();
        return true;
    }
    // Each panel makes question 1 current as it shows it; the edit panel has none to show when
    // the count names records the file lacks.
    s.curq = 0;
    if (editmode)
        m.edit->cmdfirst_Click();
    else
        m.run->firstquestion();
    return true;
}

frmeditquiz *BookOpener::picker()
{
    if (!m_picker) {
        m_picker = new frmeditquiz(this, m.window);
        m_picker->hide();
    }
    return m_picker;
}

void BookOpener::showpicker()
{
    platform::showmodal(picker());
    // Every opening starts from the picker's design state, in Edit mode.
    delete m_picker.data();
}

bool BookOpener::readyforbook()
{
    if (modquiz::state().qbchanged && !m.edit->saveprompt())
        return false;
    // Close keeps the book when the user cancels its prompt or the save fails.
    return !m.editstarted || m.edit->cmdeditclose_Click();
}

bool BookOpener::closebooks()
{
    m.run->cmdqbclose_Click();
    return m.edit->cmdeditclose_Click();
}
