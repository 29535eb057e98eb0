#pragma once

#include "storage/modquiz.h"
#include "ui/main/bookopener.h"
#include "ui/main/booktransfer.h"
#include "ui/main/launch.h"
#include "ui/main/printcommands.h"
#include "ui/main/recentmenu.h"
#include "ui/main/runoptions.h"

#include <QMainWindow>
#include <memory>

class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QMimeData;
class QWidget;
class EditPanel;
class FrameSize;
class RunPanel;
class frmeditquiz;

// The program's only top-level window: the menu bar and the commands, over the run panel
// (run/runpanel.h) and the edit panel (edit/editpanel.h), of which it shows one at a time. Handlers
// are plain members so that code and tests can "press" a button by calling its handler, whether the
// button is enabled or its panel visible or not.
class frmquiz final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmquiz)

public:
    explicit frmquiz(QWidget *parent = nullptr);
    ~frmquiz() override;

    // --- Start-up -------------------------------------------------------------------------
    // The load step: initial states, the completed layout, One Chance from the settings
    // store, then the command line. Runs once, before the window is shown.
    void Form_Load(const Launch &launch = {});
    // Opens a book for running or editing, the one way every command does (bookopener.h).
    bool openbook(const QString &path, bool editing, Opener by = Opener::Frame)
    {
        return m_opener->openbook(path, editing, by);
    }

    // --- Menu commands ----------------------------------------------------------------------
    void mnuquiznew_Click();
    void mnuquizedit_Click();
    void mnuquizrun_Click();
    void mnuquizexit_Click();
    void mnuquizimport_Click();
    void mnuquizexport_Click() { m_transfer.exportbook(); }
    void mnuonechance_Click() { m_options->flip(RunOptions::OneChance); }
    void mnueditundodelete_Click();
    void mnuinfo_Click();
    void mnureadme_Click();
    void mnuhelpabout_Click();
    // Print shows the preview with the print dialog; the PDF goes to a file the user names.
    void mnuquizprint_Click() { m_print.print(); }
    void mnuquizpdf_Click() { m_print.exportpdf(); }

    // Closing the main window (close box); false when the user chose to stay.
    [[nodiscard]] bool Form_QueryUnload();

    // The run panel picqb, for what may be asked of it.
    [[nodiscard]] RunPanel &runpanel() const;

    // The edit panel picedit, for what may be asked of it.
    [[nodiscard]] EditPanel &editpanel() const;

    // --- Run options and recent books (runoptions.h, commands.cpp) ------------------------
    void mnushufflequestions_Click() { m_options->flip(RunOptions::ShuffleQuestions); }
    void mnushuffleanswers_Click() { m_options->flip(RunOptions::ShuffleAnswers); }
    void mnureviewmissed_Click() { m_options->flip(RunOptions::ReviewMissed); }
    void mnukeepresults_Click() { m_options->flip(RunOptions::KeepResults); }
    // The Results window for the book loaded, or one the user chooses; Practise These runs
    // the questions it names.
    void mnuresults_Click();
    // Runs a book as naming it on the command line does, after the Run command's prompt for
    // unsaved changes; a book that no longer exists leaves the recent list.
    void mnurecentbook_Click(const QString &path);
    // Rebuilds the Recent Books submenu from the settings store.
    void fillrecentmenu() { m_recent->fill(); }
    void Form_DragDrop(const QMimeData *data);

    // True when the program was started with a command line.
    [[nodiscard]] bool startedwithcommandline() const { return m_opener->commandline(); }
    void entereditpanel(qint16 count) { m_opener->entereditpanel(count); }
    [[nodiscard]] bool loadbook() { return m_opener->loadbook(); }
    frmeditquiz *picker() { return m_opener->picker(); }

    // --- Variables of the window --------------------------------------------------------------
    bool editstarted = false;

    // --- Menus ----------------------------------------------------------------------------
    QAction *mnuquiznew = nullptr;
    QAction *mnuquizedit = nullptr;
    QAction *mnuquizrun = nullptr;
    QAction *mnuquizimport = nullptr;
    QAction *mnuquizexport = nullptr;
    QAction *mnuquizexit = nullptr;
    QAction *mnuquizprint = nullptr;
    QAction *mnuquizpdf = nullptr;
    QAction *mnuonechance = nullptr;
    QAction *mnushufflequestions = nullptr;
    QAction *mnushuffleanswers = nullptr;
    QAction *mnureviewmissed = nullptr;
    QAction *mnukeepresults = nullptr;
    QAction *mnuresults = nullptr;
    QAction *mnueditundodelete = nullptr;
    QAction *mnuinfo = nullptr;
    QAction *mnureadme = nullptr;
    QAction *mnuhelpabout = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildmenus();

    // Private members of start-up (frmquiz.cpp).
    // The menus, found by their objectNames from outside.
    QMenu *mnuquiz = nullptr;
    QMenu *mnuedit = nullptr;
    QMenu *mnutools = nullptr;
    QMenu *mnuhelp = nullptr;
    QLabel *m_background = nullptr;
    RunPanel *m_run = nullptr;
    EditPanel *m_edit = nullptr;
    FrameSize *m_size = nullptr;
    BookTransfer m_transfer{this};
    PrintCommands m_print{this};
    RecentMenu *m_recent = nullptr;
    RunOptions *m_options = nullptr;

    std::unique_ptr<BookOpener> m_opener;

    // Private members of the menu commands (commands.cpp).
    // After New or Edit was given up: a run whose questions the edit panel's Close has
    // emptied cannot go on, so it is closed.
    void closeorphanedrun();
    // After a book was opened or created for editing: the edit panel in front, the focus in
    // the question box, the book first in the recent list.
    void starteditor();
    // Puts the open book first in the recent list.
    void rememberbook() { m_recent->remember(modquiz::state().qbpath); }
};
