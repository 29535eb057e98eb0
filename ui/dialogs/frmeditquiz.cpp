#include "ui/dialogs/frmeditquiz.h"

#include "platform/files.h"
#include "platform/folders.h"
#include "platform/fonts.h"
#include "platform/msgbox.h"
#include "platform/twips.h"
#include "storage/modquiz.h"
#include "ui/dialogs/bookwindow.h"
#include "ui/dialogs/dialogsupport.h"
#include "ui/dialogs/folderlists.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString opencaption = QStringLiteral("&Open");

QLabel *valuelabel(QWidget *parent, const char *name, int left, int top)
{
    QLabel *value = dialogs::label(parent, name, QString(), left, top);
    value->setFont(platform::designfont(8.25, true));
    return value;
}

void setvalue(QLabel *value, const QString &text)
{
    value->setText(text);
    value->adjustSize();
}

} // namespace

frmeditquiz::frmeditquiz(BookWindow *main, QWidget *parent) : QDialog(parent), m_main(main)
{
    dialogs::setupwindow(this, QStringLiteral("Edit Quiz"), 7485, 3240);

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(platform::twipsrect(4440, 240, 2775, 2295));

    Direditquiz = new dialogs::FolderList(this);
    Direditquiz->setObjectName(QStringLiteral("Direditquiz"));
    Direditquiz->setGeometry(platform::twipsrect(120, 120, 1935, 2565));
    Direditquiz->setAccessibleName(QStringLiteral("Folders"));

    Drveditquiz = new dialogs::DriveList(this);
    Drveditquiz->setObjectName(QStringLiteral("Drveditquiz"));
    Drveditquiz->setGeometry(platform::twipsrect(120, 2760, 1935, 315));
    Drveditquiz->setAccessibleName(QStringLiteral("Drives"));

    fileditquiz = new dialogs::BookList(this);
    fileditquiz->setObjectName(QStringLiteral("fileditquiz"));
    fileditquiz->setGeometry(platform::twipsrect(2280, 480, 2055, 2625));
    fileditquiz->setAccessibleName(QStringLiteral("Quiz books"));

    txtfname =
        dialogs::textbox(this, "txtfname", QStringLiteral("File name"), 2280, 120, 2055, 285);
    cmdedit = dialogs::button(this, "cmdedit", QStringLiteral("&Edit"), 4680, 2640, 1095, 495);
    cmdcancel =
        dialogs::button(this, "cmdcancel", QStringLiteral("&Cancel"), 6120, 2640, 1095, 495);

    labcat = dialogs::label(this, "labcat", QStringLiteral("Catagory"), 4560, 360);
    labcatagory = valuelabel(this, "labcatagory", 4680, 720);
    labauth = dialogs::label(this, "labauth", QStringLiteral("Author"), 4560, 1080);
    labauthor = valuelabel(this, "labauthor", 4680, 1440);
    labc = dialogs::label(this, "labc", QStringLiteral("Number of Questions"), 4560, 1800);
    labcount = valuelabel(this, "labcount", 4680, 2160);

    setTabOrder(Direditquiz, Drveditquiz);
    setTabOrder(Drveditquiz, fileditquiz);
    setTabOrder(fileditquiz, cmdedit);
    setTabOrder(cmdedit, cmdcancel);
    setTabOrder(cmdcancel, txtfname);

    syncwithcurrentfolder();

    connect(Drveditquiz, &dialogs::DriveList::chosen, this, &frmeditquiz::Drveditquiz_Change);
    connect(Direditquiz, &dialogs::FolderList::changed, this, &frmeditquiz::Direditquiz_Change);
    connect(fileditquiz, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fileditquiz->selectedname().isEmpty())
            fileditquiz_Click();
    });
    connect(fileditquiz, &QListWidget::itemDoubleClicked, this, &frmeditquiz::fileditquiz_DblClick);
    new dialogs::KeyPressFilter(fileditquiz, [this](int &key) { fileditquiz_KeyPress(key); });
    new dialogs::KeyPressFilter(txtfname, [this](int &key) { txtfname_KeyPress(key); });
    connect(cmdedit, &QPushButton::clicked, this, &frmeditquiz::cmdedit_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frmeditquiz::cmdcancel_Click);

    Direditquiz->setFocus();
}

void frmeditquiz::syncwithcurrentfolder()
{
    // The lists show the process's current folder and then keep it in step with what they
    // show; file names without a folder resolve against it.
    const QString folder = platform::currentfolder();
    if (!Direditquiz->path().isEmpty() && Direditquiz->path() == folder)
        return;
    Drveditquiz->showdriveof(folder);
    const QSignalBlocker blocker(Direditquiz);
    if (Direditquiz->setpath(folder))
        fileditquiz->setfolder(Direditquiz->path());
}

void frmeditquiz::showEvent(QShowEvent *event)
{
    syncwithcurrentfolder();
    QDialog::showEvent(event);
}

bool frmeditquiz::ineditmode() const
{
    return cmdedit->text() != opencaption;
}

void frmeditquiz::setopenmode()
{
    setWindowTitle(QStringLiteral("Open"));
    cmdedit->setText(opencaption);
    cmdedit->setAccessibleName(dialogs::plaincaption(opencaption));
}

void frmeditquiz::Drveditquiz_Change()
{
    dialogs::choosedrive(Drveditquiz, Direditquiz);
}

void frmeditquiz::Direditquiz_Change()
{
    if (dialogs::enterfolder(Drveditquiz, Direditquiz))
        fileditquiz->setfolder(Direditquiz->path());
}

void frmeditquiz::fileditquiz_Click()
{
    auto &state = modquiz::state();
    modquiz::closebook();
    txtfname->setText(fileditquiz->selectedname());
    state.qbpath = txtfname->text();
    // A preview that fails must not leave the file selected before on show.
    for (QLabel *value : {labcatagory, labauthor, labcount})
        setvalue(value, QString());
    if (!platform::normalfileexists(state.qbpath)) {
        platform::msgbox(QStringLiteral("File not found"));
        return;
    }
    if (!modquiz::previewheader(state.qbpath)) {
        platform::msgbox(QStringLiteral("Error: Cannot open file"));
        return;
    }
    showpreview();
}

void frmeditquiz::showpreview()
{
    const QBookHeader &header = modquiz::state().qbheader;
    setvalue(labcatagory, header.category);
    setvalue(labauthor, header.author);
    setvalue(labcount, QString::number(header.count));
}

void frmeditquiz::fileditquiz_DblClick()
{
    txtfname->setText(fileditquiz->selectedname());
    cmdedit_Click();
}

void frmeditquiz::fileditquiz_KeyPress(int &keyascii)
{
    if (keyascii != 13)
        return;
    keyascii = 0;
    cmdedit_Click();
}

void frmeditquiz::txtfname_KeyPress(int &keyascii)
{
    fileditquiz_KeyPress(keyascii); // Enter presses Edit (Open) here too
}

void frmeditquiz::cmdedit_Click()
{
    const QString name = txtfname->text();
    if (name.isEmpty()) {
        platform::msgbox(QStringLiteral("please select a file"));
        return;
    }
    if (const QString refused = dialogs::refusedname(name); !refused.isEmpty()) {
        platform::msgbox(refused);
        return;
    }
    if (m_main->openbook(name, ineditmode(), Opener::Picker))
        accept();
}

void frmeditquiz::cmdcancel_Click()
{
    modquiz::closebook();
    modquiz::state().dlgok = false;
    QDialog::reject();
}

void frmeditquiz::reject()
{
    cmdcancel_Click();
}
