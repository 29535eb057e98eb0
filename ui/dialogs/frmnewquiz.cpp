#include "ui/dialogs/frmnewquiz.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "storage/modquiz.h"
#include "ui/dialogs/bookwindow.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/folderlists.h"

#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QString errortitle = QStringLiteral("Error");

void error(const char *text)
{
    platform::msgbox(QString::fromLatin1(text), platform::Buttons::Ok, errortitle);
}

// Something other than a normal file already holds the name: a hidden file, a folder, a
// device, a link that leads nowhere. The new book must never be written into it.
bool nameheldbyother(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

} // namespace

frmnewquiz::frmnewquiz(BookWindow *main, QWidget *parent) : QDialog(parent), m_main(main)
{
    dialogs::setupwindow(this, QStringLiteral("New Quiz"), 6495, 3090);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(platform::twipsrect(120, 120, 3855, 2895));

    labname = dialogs::label(this, "labname", QStringLiteral("Name"), 480, 600);
    labcatagory = dialogs::label(this, "labcatagory", QStringLiteral("Catagory"), 480, 1200);
    labauthor = dialogs::label(this, "labauthor", QStringLiteral("Author"), 480, 1920);
    txtname = dialogs::textbox(this, "txtname", QStringLiteral("Name"), 1200, 480, 2415, 285);
    txtname->setMaxLength(maxnamelength);
    txtcatagory =
        dialogs::textbox(this, "txtcatagory", QStringLiteral("Category"), 1200, 1080, 2415, 285);
    txtauthor =
        dialogs::textbox(this, "txtauthor", QStringLiteral("Author"), 1200, 1800, 2415, 285);
    cmdcreate = dialogs::button(this, "cmdcreate", QStringLiteral("&Create"), 960, 2400, 1215, 375);
    cmdcancel =
        dialogs::button(this, "cmdcancel", QStringLiteral("C&ancel"), 2520, 2400, 1215, 375);

    Drvnewquiz = new dialogs::DriveList(this);
    Drvnewquiz->setObjectName(QStringLiteral("Drvnewquiz"));
    Drvnewquiz->setGeometry(platform::twipsrect(4200, 2640, 2175, 315));
    Drvnewquiz->setAccessibleName(QStringLiteral("Drives"));

    dirnewquiz = new dialogs::FolderList(this);
    dirnewquiz->setObjectName(QStringLiteral("dirnewquiz"));
    dirnewquiz->setGeometry(platform::twipsrect(4200, 120, 2175, 2340));
    dirnewquiz->setAccessibleName(QStringLiteral("Folders"));

    setTabOrder(txtname, txtcatagory);
    setTabOrder(txtcatagory, txtauthor);
    setTabOrder(txtauthor, cmdcreate);
    setTabOrder(cmdcreate, cmdcancel);
    setTabOrder(cmdcancel, Drvnewquiz);
    setTabOrder(Drvnewquiz, dirnewquiz);

    // The book is created in the folder the list shows, which it keeps current.
    const QString folder = platform::currentfolder();
    Drvnewquiz->showdriveof(folder);
    dirnewquiz->setpath(folder);

    connect(Drvnewquiz, &dialogs::DriveList::chosen, this, &frmnewquiz::Drvnewquiz_Change);
    connect(dirnewquiz, &dialogs::FolderList::changed, this, &frmnewquiz::dirnewquiz_Change);
    new dialogs::KeyPressFilter(txtname, [this](int &key) { txtname_KeyPress(key); });
    new dialogs::KeyPressFilter(txtcatagory, [this](int &key) { txtcatagory_KeyPress(key); });
    new dialogs::KeyPressFilter(txtauthor, [this](int &key) { txtauthor_KeyPress(key); });
    connect(cmdcreate, &QPushButton::clicked, this, &frmnewquiz::cmdcreate_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmnewquiz::cmdcancel_Click);

    txtname->setFocus();
}

void frmnewquiz::cmdcreate_Click()
{
    auto &state = modquiz::state();
    state.curq = 0;
    if (txtname->text().isEmpty()) {
        error("Enter a name");
        txtname->setFocus();
        return;
    }
    if (txtcatagory->text().isEmpty()) {
        error("Enter a Catagory");
        txtcatagory->setFocus();
        return;
    }
    if (txtauthor->text().isEmpty()) {
        error("Enter Authers name");
        txtauthor->setFocus();
        return;
    }

    state.qbheader.author = txtauthor->text();
    state.qbheader.category = txtcatagory->text();
    state.qbheader.magic = QString::fromLatin1(qbook::magicmark);
    state.qbheader.count = 0;
    state.qbpath = txtname->text() + QStringLiteral(".Q");

    const bool exists = platform::normalfileexists(state.qbpath);
    if (exists) {
        const platform::Answer answer =
            platform::msgbox(QStringLiteral("File already exists! Overwrite?"),
                             platform::Buttons::OkCancel, QStringLiteral("Overwrite?"));
        if (answer != platform::Answer::Ok) {
            txtname->clear();
            txtname->setFocus();
            return;
        }
    }

    // Close asked about unsaved changes and the user kept them (or their save failed).
    if (!m_main->closebooks())
        return;
    if (!createfile(exists))
        return;
    if (!modquiz::writeheader()) {
        error("Error Writing file");
        return;
    }
    handover();
}

bool frmnewquiz::createfile(bool replacing)
{
    const QString &path = modquiz::state().qbpath;
    if (replacing) {
        // The new book is written beside the old one and takes its place only when complete,
        // so a book that cannot be created leaves the old one as it was.
        // A link under the name is what gets replaced, not the file it leads to.
        const QByteArray header = qbook::encodeheader(modquiz::state().qbheader);
        if (platform::replacefile(path, header, platform::LinkHandling::ReplaceLink) !=
            platform::ReplaceResult::Ok) {
            error("Error Opening file");
            return false;
        }
    } else if (nameheldbyother(path)) {
        error("Error Opening file");
        return false;
    }
    if (!modquiz::openbook()) {
        error("Error Opening file");
        return false;
    }
    return true;
}

void frmnewquiz::handover()
{
    auto &state = modquiz::state();
    modquiz::resizequestions(0);
    state.curq = 0;
    m_main->entereditpanel(0);
    accept();
    state.dlgok = true;
}

void frmnewquiz::cmdcancel_Click()
{
    QDialog::reject();
}

void frmnewquiz::reject()
{
    cmdcancel_Click();
}

void frmnewquiz::txtname_KeyPress(int &keyascii)
{
    dialogs::enterkey(keyascii, txtname, [this] { txtcatagory->setFocus(); });
}

void frmnewquiz::txtcatagory_KeyPress(int &keyascii)
{
    dialogs::enterkey(keyascii, txtcatagory, [this] { txtauthor->setFocus(); });
}

void frmnewquiz::txtauthor_KeyPress(int &keyascii)
{
    dialogs::enterkey(keyascii, txtauthor, [this] { cmdcreate_Click(); });
}

void frmnewquiz::Drvnewquiz_Change()
{
    dialogs::choosedrive(Drvnewquiz, dirnewquiz);
}

void frmnewquiz::dirnewquiz_Change()
{
    dialogs::enterfolder(Drvnewquiz, dirnewquiz);
}
