#pragma once

#include "storage/modquiz.h"
#include "ui/dialogs/bookwindow.h"
#include "ui/main/booktransfer.h"
#include "ui/main/launch.h"
#include "ui/main/printcommands.h"
#include "ui/main/recentmenu.h"
#include "ui/main/runoptions.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

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
class frmquiz final : public QMainWindow, public BookWindow
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
    // The one way a book is opened for running or editing: the command line, the picker, Recent
    // Books, a dropped file and Import. A file that is missing, unreadable or no quiz book is
    // refused with the command line's message and leaves whatever is open as it is; only a book
    // closes what is open (the save prompt first), and is then loaded and shown. True when it
    // shows. The picker keeps its own checks, messages and order of closing.
    bool openbook(const QString &path, bool editing, Opener by = Opener::Frame) override;

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
    // Runs a book as naming it on the command line does, after the Run command's prompt for
    // unsaved changes; a book that no longer exists leaves the recent list.
    void mnurecentbook_Click(const QString &path);
    // Rebuilds the Recent Books submenu from the settings store.
    void fillrecentmenu() { m_recent->fill(); }
    void Form_DragDrop(const QMimeData *data);

    // True when the program was started with a command line.
    [[nodiscard]] bool startedwithcommandline() const;

    // --- BookWindow ---------------------------------------------------------------------------
    [[nodiscard]] bool closebooks() override;
    void entereditpanel(qint16 count) override;
    // Loads the book opened as the working book and hands it to the panel that takes it: the
    // edit panel at question 1 when the picker is in Edit mode, else the run. False when it
    // could not be read.
    [[nodiscard]] bool loadbook();

    // The picker: created hidden in Edit mode when first needed, discarded when it closes.
    frmeditquiz *picker();
    // Shows the picker modally and discards it afterwards.
    void showpicker();

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
    QAction *mnueditundodelete = nullptr;
    QAction *mnuinfo = nullptr;
    QAction *mnureadme = nullptr;
    QAction *mnuhelpabout = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildmenus();

    QPointer<frmeditquiz> m_picker;
    bool m_commandline = false;

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

    // Private members of the menu commands (commands.cpp).
    // What every command that opens another book does first: the save prompt for unsaved
    // changes, then the edit panel's Close. False when the user kept the book open.
    [[nodiscard]] bool readyforbook();
    // After New or Edit was given up: a run whose questions the edit panel's Close has
    // emptied cannot go on, so it is closed.
    void closeorphanedrun();
    // After a book was opened or created for editing: the edit panel in front, the focus in
    // the question box, the book first in the recent list.
    void starteditor();

    // Puts the open book first in the recent list.
    void rememberbook() { m_recent->remember(modquiz::state().qbpath); }
    // Why the file at path cannot be opened as a book; nothing when it can.
    [[nodiscard]] static std::optional<QString> bookrefusal(const QString &path, bool editing,
                                                            Opener by);
    // Opens and loads qbpath, then hands it to the edit panel or the run panel.
    [[nodiscard]] bool loadfor(bool editing, Opener by);
    // The picker's mode; with no picker built, its design mode, Edit. Reading it never builds
    // a window or lists a folder.
    [[nodiscard]] bool pickerineditmode();
};
