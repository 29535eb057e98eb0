#include "ui/main/frmquiz.h"

#include "platform/enterkey.h"
#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "storage/modquiz.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/framesize.h"
#include "ui/main/run/runpanel.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPixmap>

// The pictures and texts are compiled into a static library, whose registration the linker
// would drop as unreferenced: the window that shows them registers them itself.
static void initresources()
{
    Q_INIT_RESOURCE(resources);
}

frmquiz::frmquiz(QWidget *parent) : QMainWindow(parent)
{
    initresources();
    setObjectName(QStringLiteral("frmquiz"));
    setWindowTitle(QStringLiteral("Quiz"));
    setWindowIcon(QIcon(QStringLiteral(":/quiz.png")));
    // A fixed single border: minimize box, close box, no maximize box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFont(platform::designfont(8.25));

    buildmenus();

    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("client"));
    setCentralWidget(central);
    // The user cannot resize the window; an enlarged one gives the run panel's rows its room.
    m_size = new FrameSize(this);

    // The picture lies under both panels; an opaque panel hides it.
    m_background = new QLabel(central);
    m_background->setObjectName(QStringLiteral("picbackground"));
    m_background->setPixmap(QPixmap(QStringLiteral(":/background.png")));
    m_background->setGeometry(0, 0, 636, 402);

    m_run = new RunPanel(central);
    connect(m_run, &RunPanel::closed, this, [this] {
        mnueditundodelete->setEnabled(false);
        m_size->fix();
    });
    connect(m_run, &RunPanel::onechancelost, this, [this] { mnuonechance->setEnabled(false); });
    connect(m_run, &RunPanel::needsroom, m_size, &FrameSize::allow);
    connect(m_size, &FrameSize::resized, m_run, &RunPanel::layoutrunpanel);
    connect(m_run, &RunPanel::reviewstarting, this, [this] { m_edit->hide(); });

    m_edit = new EditPanel(central);
    connect(m_edit, &EditPanel::undoavailable, mnueditundodelete, &QAction::setEnabled);
    connect(m_edit, &EditPanel::bookopen, mnuinfo, &QAction::setEnabled);

    m_recent = new RecentMenu(mnuquiz, mnuquizexit);
    connect(m_recent, &RecentMenu::chosen, this, &frmquiz::mnurecentbook_Click);
    // A book dropped on an edit box runs like one dropped on the window.
    installEventFilter(m_recent);
    m_edit->watchdrops(m_recent);
    setAcceptDrops(true);
    installEventFilter(this);
    // Neither panel has a default button: Enter presses the focused one.
    platform::pressbuttonsonenter(central);
}

frmquiz::~frmquiz()
{
    delete m_picker.data();
}

void frmquiz::buildmenus()
{
    auto *bar = menuBar();
    bar->setObjectName(QStringLiteral("menubar"));

    auto addmenu = [bar](const char *name, const QString &caption) {
        QMenu *menu = bar->addMenu(caption);
        menu->setObjectName(QLatin1String(name));
        return menu;
    };
    auto additem = [this](QMenu *menu, const char *name, const QString &caption,
                          const QKeySequence &shortcut, void (frmquiz::*handler)()) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(shortcut);
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };

    mnuquiz = addmenu("mnuquiz", QStringLiteral("&Quiz"));
    mnuquiznew = additem(mnuquiz, "mnuquiznew", QStringLiteral("&New Quiz"), Qt::CTRL | Qt::Key_N,
                         &frmquiz::mnuquiznew_Click);
    mnuquizedit = additem(mnuquiz, "mnuquizedit", QStringLiteral("&Edit Quiz"),
                          Qt::CTRL | Qt::Key_E, &frmquiz::mnuquizedit_Click);
    mnuquizrun = additem(mnuquiz, "mnuquizrun", QStringLiteral("&Run Quiz"), Qt::CTRL | Qt::Key_R,
                         &frmquiz::mnuquizrun_Click);
    mnuquiz->addSeparator();
    mnuquizimport = additem(mnuquiz, "mnuquizimport", QStringLiteral("&Import..."), {},
                            &frmquiz::mnuquizimport_Click);
    mnuquizexport = additem(mnuquiz, "mnuquizexport", QStringLiteral("Expor&t..."), {},
                            &frmquiz::mnuquizexport_Click);
    mnuquizprint = additem(mnuquiz, "mnuquizprint", QStringLiteral("&Print..."),
                           Qt::CTRL | Qt::Key_P, &frmquiz::mnuquizprint_Click);
    mnuquizpdf = additem(mnuquiz, "mnuquizpdf", QStringLiteral("Export as P&DF..."), {},
                         &frmquiz::mnuquizpdf_Click);
    mnuquizexit = additem(mnuquiz, "mnuquizexit", QStringLiteral("E&xit"), Qt::CTRL | Qt::Key_Q,
                          &frmquiz::mnuquizexit_Click);

    mnuedit = addmenu("mnuedit", QStringLiteral("&Edit"));
    mnueditundodelete = additem(mnuedit, "mnueditundodelete", QStringLiteral("&Undo Delete"),
                                Qt::CTRL | Qt::Key_Z, &frmquiz::mnueditundodelete_Click);
    m_options = new RunOptions(mnuedit, mnueditundodelete);
    mnuonechance = m_options->item(RunOptions::OneChance);
    mnushufflequestions = m_options->item(RunOptions::ShuffleQuestions);
    mnushuffleanswers = m_options->item(RunOptions::ShuffleAnswers);
    mnureviewmissed = m_options->item(RunOptions::ReviewMissed);

    mnutools = addmenu("mnutools", QStringLiteral("&Tools"));
    mnuinfo = additem(mnutools, "mnuinfo", QStringLiteral("&Info"), Qt::CTRL | Qt::Key_I,
                      &frmquiz::mnuinfo_Click);
    // Export, Print and Export as PDF write the book open in the edit panel, which is exactly
    // while Info is enabled.
    for (QAction *action : {mnuquizexport, mnuquizprint, mnuquizpdf})
        connect(mnuinfo, &QAction::enabledChanged, action, &QAction::setEnabled);

    mnuhelp = addmenu("mnuhelp", QStringLiteral("&Help"));
    mnureadme = additem(mnuhelp, "mnureadme", QStringLiteral("&Read me"), Qt::CTRL | Qt::Key_H,
                        &frmquiz::mnureadme_Click);
    // F1 is the desktop's help key; Ctrl+H stays the item's own shortcut.
    mnureadme->setShortcuts({mnureadme->shortcut(), QKeySequence(Qt::Key_F1)});
    mnuhelpabout = additem(mnuhelp, "mnuhelpabout", QStringLiteral("&About"), Qt::CTRL | Qt::Key_A,
                           &frmquiz::mnuhelpabout_Click);
}

void frmquiz::Form_Load(const Launch &launch)
{
    auto &s = modquiz::state();

    m_run->hide();
    m_edit->hide();

    m_edit->startstates();
    mnueditundodelete->setEnabled(false);

    s.curq = 0;
    s.qbchanged = false;

    m_run->layoutrunpanel();
    m_size->place();
    for (QWidget *panel : {static_cast<QWidget *>(m_edit), static_cast<QWidget *>(m_run)})
        panel->resize(frameGeometry().size());

    mnuinfo->setEnabled(false);

    m_options->read();
    m_options->copyto(*m_run);

    m_commandline = launch.mode != Launch::Mode::None;
    if (!m_commandline)
        return;
    // The book named stays the current path even when it cannot be opened.
    modquiz::state().qbpath = launch.path;
    openbook(launch.path, launch.mode == Launch::Mode::Edit);
}

std::optional<QString> frmquiz::bookrefusal(const QString &path, bool editing, Opener by)
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

bool frmquiz::openbook(const QString &path, bool editing, Opener by)
{
    auto &s = modquiz::state();
    s.dlgok = false;
    if (const std::optional<QString> refusal = bookrefusal(path, editing, by)) {
        platform::msgbox(*refusal);
        return false;
    }
    // The picker closes the run first, then the edit panel with its save prompt; the command
    // that showed it has copied the run options and puts the book in the recent list.
    const bool picker = by == Opener::Picker;
    if (picker ? !closebooks() : !readyforbook())
        return false;
    if (!picker) {
        m_run->cmdqbclose_Click();
        if (!editing)
            m_options->copyto(*m_run);
    }
    s.qbpath = path;
    if (!loadfor(editing, by)) {
        // The loader may have shown the edit panel on the way: a book refused leaves neither
        // panel showing.
        if (!picker)
            m_edit->hide();
        return false;
    }
    if (!picker)
        rememberbook();
    return true;
}

bool frmquiz::loadfor(bool editing, Opener by)
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
            m_edit->cmdeditclose_Click();
        else
            platform::closeall();
        return false;
    }

    if (editing) {
        s.dlgok = true;
        editstarted = true;
        m_run->hide();
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
    m_run->show();
    m_edit->hide();
    m_run->askfirst();
    m_run->setlabnum(QStringLiteral("1"));
    return true;
}

RunPanel &frmquiz::runpanel() const
{
    return *m_run;
}

EditPanel &frmquiz::editpanel() const
{
    return *m_edit;
}

void frmquiz::entereditpanel(qint16 count)
{
    m_edit->enter(count);
    // The edit panel has the design's size only: a window enlarged for a long question is not.
    m_size->fix();
    m_edit->show();
}

bool frmquiz::startedwithcommandline() const
{
    return m_commandline;
}

bool frmquiz::pickerineditmode()
{
    // A picker is built only to be shown: one built here, at start-up, would list its folder
    // long before it is seen.
    return !m_picker || m_picker->ineditmode();
}

bool frmquiz::loadbook()
{
    auto &s = modquiz::state();
    modquiz::LoadFailure why = modquiz::LoadFailure::None;
    const bool loaded = modquiz::loadbook(&why);
    const bool editmode = pickerineditmode();
    // The picker in Edit mode shows the edit panel as soon as the records are read, even too
    // many of them.
    if ((loaded || why == modquiz::LoadFailure::TooMany) && !m_commandline && editmode) {
        m_size->fix();
        m_edit->show();
    }
    if (!loaded)
        return false;
    if (s.qbheader.count == 0) {
        m_edit->clearboxes();
        return true;
    }
    // Each panel makes question 1 current as it shows it; the edit panel has none to show when
    // the count names records the file lacks.
    s.curq = 0;
    if (editmode)
        m_edit->cmdfirst_Click();
    else
        m_run->firstquestion();
    return true;
}

frmeditquiz *frmquiz::picker()
{
    if (!m_picker) {
        m_picker = new frmeditquiz(this, this);
        m_picker->hide();
    }
    return m_picker;
}

void frmquiz::showpicker()
{
    platform::showmodal(picker());
    // Every opening starts from the picker's design state, in Edit mode.
    delete m_picker.data();
}

void frmquiz::closeEvent(QCloseEvent *event)
{
    if (Form_QueryUnload())
        event->accept();
    else
        event->ignore();
}

bool frmquiz::eventFilter(QObject *watched, QEvent *event)
{
    // Skip is the window's cancel button: Esc presses it wherever the focus is, but only
    // while the run panel shows.
    if (event->type() == QEvent::KeyPress && watched == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_run->escape())
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
