#include "ui/main/frmquiz.h"

#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "storage/modquiz.h"
#include "ui/dialogs/frmeditquiz.h"
#include "ui/main/edit/editpanel.h"
#include "ui/main/quizsettings.h"
#include "ui/main/run/runpanel.h"
#include "ui/main/runrecorder.h"

#include <QAction>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>

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
    central->setFixedSize(platform::twips(9525), platform::twips(6030));
    setCentralWidget(central);

    // The picture lies under both panels; an opaque panel hides it.
    m_background = new QLabel(central);
    m_background->setObjectName(QStringLiteral("picbackground"));
    m_background->setPixmap(QPixmap(QStringLiteral(":/background.png")));
    m_background->setGeometry(0, 0, 636, 402);

    m_run = new RunPanel(central);
    connect(m_run, &RunPanel::closed, this, [this] {
        mnueditundodelete->setEnabled(false);
        fixsize();
    });
    connect(m_run, &RunPanel::onechancelost, this, [this] { mnuonechance->setEnabled(false); });
    connect(m_run, &RunPanel::needsroom, this, &frmquiz::allowresize);
    connect(m_run, &RunPanel::reviewstarting, this, [this] { m_edit->hide(); });
    new RunRecorder(m_run);

    m_edit = new EditPanel(central);
    connect(m_edit, &EditPanel::undoavailable, mnueditundodelete, &QAction::setEnabled);
    connect(m_edit, &EditPanel::bookopen, mnuinfo, &QAction::setEnabled);

    buildpracticemenus();
    setAcceptDrops(true);

    // The window's size follows the fixed client area and the menu bar; the user cannot
    // resize it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    installEventFilter(this);
    // An enlarged window gives the run panel's rows its room.
    central->installEventFilter(this);
    // Neither panel has a default button, so Enter reaches the focused control; Qt leaves
    // Enter to default buttons, so the window presses a focused button itself.
    for (QPushButton *button : central->findChildren<QPushButton *>())
        button->installEventFilter(this);
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
    mnuquizexit = additem(mnuquiz, "mnuquizexit", QStringLiteral("E&xit"), Qt::CTRL | Qt::Key_Q,
                          &frmquiz::mnuquizexit_Click);

    mnuedit = addmenu("mnuedit", QStringLiteral("&Edit"));
    mnuonechance = additem(mnuedit, "mnuonechance", QStringLiteral("&One Chance"),
                           Qt::CTRL | Qt::Key_O, nullptr);
    mnuonechance->setCheckable(true);
    mnuonechance->setChecked(true);
    // A checkable action flips its own check mark before it reports the trigger; the
    // handler is the one place that flips it, so undo Qt's flip first.
    connect(mnuonechance, &QAction::triggered, this, [this](bool checked) {
        mnuonechance->setChecked(!checked);
        mnuonechance_Click();
    });
    mnueditundodelete = additem(mnuedit, "mnueditundodelete", QStringLiteral("&Undo Delete"),
                                Qt::CTRL | Qt::Key_Z, &frmquiz::mnueditundodelete_Click);

    mnutools = addmenu("mnutools", QStringLiteral("&Tools"));
    mnuinfo = additem(mnutools, "mnuinfo", QStringLiteral("&Info"), Qt::CTRL | Qt::Key_I,
                      &frmquiz::mnuinfo_Click);
    mnuresults = additem(mnutools, "mnuresults", QStringLiteral("&Results..."), {},
                         &frmquiz::mnuresults_Click);
    // Export writes the book open in the edit panel, which is exactly while Info is enabled.
    connect(mnuinfo, &QAction::enabledChanged, mnuquizexport, &QAction::setEnabled);

    mnuhelp = addmenu("mnuhelp", QStringLiteral("&Help"));
    mnureadme = additem(mnuhelp, "mnureadme", QStringLiteral("&Read me"), Qt::CTRL | Qt::Key_H,
                        &frmquiz::mnureadme_Click);
    mnuhelpabout = additem(mnuhelp, "mnuhelpabout", QStringLiteral("&About"), Qt::CTRL | Qt::Key_A,
                           &frmquiz::mnuhelpabout_Click);
    buildprintmenu();
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
    placewindow();
    for (QWidget *panel : {static_cast<QWidget *>(m_edit), static_cast<QWidget *>(m_run)})
        panel->resize(frameGeometry().size());

    mnuinfo->setEnabled(false);

    mnuonechance->setChecked(QuizSettings::onechance());
    m_run->setonechance(mnuonechance->isChecked());
    readpracticeoptions();

    m_commandline = launch.mode != Launch::Mode::None;
    if (!m_commandline)
        return;
    // The book named stays the current path even when it cannot be opened.
    modquiz::state().qbpath = launch.path;
    openbook(launch.path, launch.mode == Launch::Mode::Edit);
}

std::optional<QString> frmquiz::bookrefusal(const QString &path, bool editing)
{
    if (!platform::normalfileexists(path))
        return editing ? QStringLiteral("File not found")
                       : QStringLiteral("Error : File not found");
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

bool frmquiz::openbook(const QString &path, bool editing)
{
    auto &s = modquiz::state();
    s.dlgok = false;
    if (const std::optional<QString> refusal = bookrefusal(path, editing)) {
        platform::msgbox(*refusal);
        return false;
    }
    if (!readyforbook())
        return false;
    m_run->cmdqbclose_Click();
    if (!editing) {
        m_run->setonechance(mnuonechance->isChecked());
        copypracticeoptions();
    }
    s.qbpath = path;
    if (!loadfor(editing)) {
        // The loader may have shown the edit panel on the way: a book refused leaves neither
        // panel showing.
        m_edit->hide();
        return false;
    }
    rememberbook();
    return true;
}

bool frmquiz::loadfor(bool editing)
{
    auto &s = modquiz::state();
    if (!modquiz::openbookfor(editing)) {
        platform::msgbox(QStringLiteral("Error: Cannot open file"));
        return false;
    }
    // The type mark is judged from the header alone, before any record is read: a large file
    // that is no book costs nothing.
    const bool header = modquiz::loadheader();
    const bool isbook = header && s.qbheader.magic == QLatin1String(qbook::magicmark);
    if (!isbook || !loadbook()) {
        platform::msgbox(header && !isbook ? QStringLiteral("Error : Invalid file type")
                                           : QStringLiteral("Error: cannot read file"));
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
        platform::closeall();
        return false;
    }
    s.dlgok = true;
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
    fixsize();
    m_edit->show();
}

void frmquiz::allowresize()
{
    if (m_resizable)
        return;
    m_resizable = true;
    centralWidget()->setMinimumSize(platform::twips(9525), platform::twips(6030));
    centralWidget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    layout()->setSizeConstraint(QLayout::SetMinimumSize);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void frmquiz::fixsize()
{
    if (!m_resizable)
        return;
    m_resizable = false;
    centralWidget()->setFixedSize(platform::twips(9525), platform::twips(6030));
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    layout()->activate();
}

void frmquiz::placewindow()
{
    if (QLayout *windowlayout = layout())
        windowlayout->activate();
    const QSize screen = platform::totwips(platform::screensize());
    const QSize window = platform::totwips(frameGeometry().size());
    const double top = screen.height() / 2.0 - window.height() / 2.0 - 600;
    const double left = screen.width() / 2.0 - window.width() / 2.0;
    move(platform::twips(qRound(left)), platform::twips(qRound(top)));
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
        fixsize();
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
    if (bookdrop(watched, event))
        return true;
    if (event->type() == QEvent::Resize && watched == centralWidget() && m_resizable)
        m_run->layoutrunpanel();
    if (event->type() == QEvent::KeyPress) {
        auto *button = qobject_cast<QPushButton *>(watched);
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        // Pressed as the space bar presses it: a click by the user.
        if (button && enter && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    // Skip is the window's cancel button: Esc presses it wherever the focus is, but only
    // while the run panel shows.
    if (event->type() == QEvent::KeyPress && watched == this) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier && m_run->escape())
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}
