#pragma once

#include "storage/modquiz.h"
#include "ui/dialogs/bookwindow.h"
#include "ui/main/launch.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMimeData;
class QWidget;
class EditPanel;
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
    // The one way a book is opened for running or editing: the command line, Recent Books, a
    // dropped file and Import. A file that is missing, unreadable or no quiz book is refused
    // with the command line's message and leaves whatever is open as it is; only a book closes
    // what is open (the save prompt first), and is then loaded and shown. True when it shows.
    bool openbook(const QString &path, bool editing);

    // --- Menu commands ----------------------------------------------------------------------
    void mnuquiznew_Click();
    void mnuquizedit_Click();
    void mnuquizrun_Click();
    void mnuquizexit_Click();
    void mnuquizimport_Click();
    void mnuquizexport_Click();
    void mnuonechance_Click();
    void mnueditundodelete_Click();
    void mnuinfo_Click();
    void mnureadme_Click();
    void mnuhelpabout_Click();
    // Print shows the preview with the print dialog; the PDF goes to a file the user names.
    void mnuquizprint_Click();
    void mnuquizpdf_Click();

    // Closing the main window (close box); false when the user chose to stay.
    [[nodiscard]] bool Form_QueryUnload();

    // The run panel picqb, for what may be asked of it.
    [[nodiscard]] RunPanel &runpanel() const;

    // The edit panel picedit, for what may be asked of it.
    [[nodiscard]] EditPanel &editpanel() const;

    // --- Run options and recent books (options.cpp, recent.cpp) ---------------------------
    void mnushufflequestions_Click();
    void mnushuffleanswers_Click();
    void mnureviewmissed_Click();
    void mnukeepresults_Click();
    // The Results window for the book loaded, or one the user chooses; Practise These runs
    // the questions it names.
    void mnuresults_Click();
    // Runs a book as naming it on the command line does, after the Run command's prompt for
    // unsaved changes; a book that no longer exists leaves the recent list.
    void mnurecentbook_Click(const QString &path);
    void mnurecentclear_Click();
    // Rebuilds the Recent Books submenu from the settings store.
    void fillrecentmenu();
    // Puts the open book first in the recent list.
    void rememberbook();
    // The one .Q file a drag carries, or an empty text when it carries anything else.
    [[nodiscard]] static QString droppedbook(const QMimeData *data);
    void Form_DragDrop(const QMimeData *data);

    // True when the program was started with a command line.
    [[nodiscard]] bool startedwithcommandline() const;

    // --- BookWindow ---------------------------------------------------------------------------
    [[nodiscard]] bool closebooks() override;
    void closeeditedbook() override;
    void entereditpanel(qint16 count) override;
    [[nodiscard]] bool loadbook() override;

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
    QAction *mnurecentclear = nullptr;
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
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void buildmenus();
    void buildprintmenu(); // ui/main/printing.cpp
    // The window can be enlarged while the run shows texts longer than its panel holds; it is
    // back to its fixed size when the run closes.
    void allowresize();
    void fixsize();
    void placewindow();

    QPointer<frmeditquiz> m_picker;
    bool m_commandline = false;

    // Private members of start-up (frmquiz.cpp).
    // The menus, found by their objectNames from outside.
    QMenu *mnuquiz = nullptr;
    QMenu *mnurecent = nullptr;
    QMenu *mnuedit = nullptr;
    QMenu *mnutools = nullptr;
    QMenu *mnuhelp = nullptr;
    QLabel *m_background = nullptr;
    RunPanel *m_run = nullptr;
    EditPanel *m_edit = nullptr;
    bool m_resizable = false;

    // Private members of the run options (options.cpp) and recent books (recent.cpp).
    // The items added to the design's menus: the check items, Recent Books, F1.
    void buildpracticemenus();
    // A book dropped on an edit box runs like one dropped on the window; text still drops in.
    bool bookdrop(QObject *watched, QEvent *event);
    // Check marks from the settings store, then the run's copies.
    void readpracticeoptions();
    void copypracticeoptions();

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

    // Private members of Import and Export (importexport.cpp).
    // Why the file at path cannot be opened as a book; nothing when it can.
    [[nodiscard]] static std::optional<QString> bookrefusal(const QString &path, bool editing);
    // Opens and loads qbpath, then hands it to the edit panel or the run panel.
    [[nodiscard]] bool loadfor(bool editing);
    // The picker's mode; with no picker built, its design mode, Edit. Reading it never builds
    // a window or lists a folder.
    [[nodiscard]] bool pickerineditmode();
};
