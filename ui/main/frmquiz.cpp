#include "ui/main/frmquiz.h"

#include "platform/enterkey.h"
#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "storage/modquiz.h"
#include "ui/classroom/frmclass.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/framesize.h"
#include "ui/main/run/runpanel.h"
#include "ui/main/runrecorder.h"

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
    new RunRecorder(m_run);

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
    m_opener = std::make_unique<BookOpener>(
        BookOpener::Parts{this, m_run, m_edit, m_size, m_options, m_recent, editstarted});
}

frmquiz::~frmquiz() = default;

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
    connect(additem(mnuquiz, "mnuquizhost", QStringLiteral("&Host a Class..."), {}, nullptr),
            &QAction::triggered, this, [this] {
                frmclass::host(this, {mnuonechance->isChecked(), mnushufflequestions->isChecked(),
                                      mnushuffleanswers->isChecked(), false});
            });
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
    mnukeepresults = m_options->item(RunOptions::KeepResults);

    mnutools = addmenu("mnutools", QStringLiteral("&Tools"));
    mnuinfo = additem(mnutools, "mnuinfo", QStringLiteral("&Info"), Qt::CTRL | Qt::Key_I,
                      &frmquiz::mnuinfo_Click);
    mnuresults = additem(mnutools, "mnuresults", QStringLiteral("&Results..."), {},
                         &frmquiz::mnuresults_Click);
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

    m_opener->setcommandline(launch.mode != Launch::Mode::None);
    if (!m_opener->commandline())
        return;
    // The book named stays the current path even when it cannot be opened.
    modquiz::state().qbpath = launch.path;
    openbook(launch.path, launch.mode == Launch::Mode::Edit);
}

RunPanel &frmquiz::runpanel() const
{
    return *m_run;
}

EditPanel &frmquiz::editpanel() const
{
    return *m_edit;
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
