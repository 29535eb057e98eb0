#include "ui/dialogs/frminfo.h"

#include "platform/msgbox.h"
#include "storage/modquiz.h"
#include "ui/dialogs/dialogsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frminfo::frminfo(QWidget *parent) : QDialog(parent)
{
    dialogs::setupwindow(this, QStringLiteral("Info"), 3705, 3000);

    labnam = dialogs::label(this, "labnam", QStringLiteral("Name"), 240, 480);
    labname = dialogs::label(this, "labname", QString(), 960, 480, 2415, 255);
    labcatagory = dialogs::label(this, "labcatagory", QStringLiteral("Catagory"), 240, 1080);
    txtcatagory =
        dialogs::textbox(this, "txtcatagory", QStringLiteral("Category"), 960, 960, 2415, 285);
    labauthor = dialogs::label(this, "labauthor", QStringLiteral("Author"), 240, 1800);
    txtauthor = dialogs::textbox(this, "txtauthor", QStringLiteral("Author"), 960, 1680, 2415, 285);
    cmdok = dialogs::button(this, "cmdok", QStringLiteral("&OK"), 240, 2400, 1335, 495);
    cmdcancel =
        dialogs::button(this, "cmdcancel", QStringLiteral("&Cancel"), 2040, 2400, 1335, 495);

    // The author comes first although it stands below the category.
    setTabOrder(txtauthor, txtcatagory);
    setTabOrder(txtcatagory, cmdok);
    setTabOrder(cmdok, cmdcancel);

    new dialogs::KeyPressFilter(txtcatagory, [this](int &key) { txtcatagory_KeyPress(key); });
    new dialogs::KeyPressFilter(txtauthor, [this](int &key) { txtauthor_KeyPress(key); });
    connect(cmdok, &QPushButton::clicked, this, &frminfo::cmdok_Click);
    connect(cmdcancel, &QPushButton::clicked, this, &frminfo::cmdcancel_Click);

    Form_Load();
    txtauthor->setFocus();
}

void frminfo::Form_Load()
{
    auto &state = modquiz::state();
    // The category and author come from the file, not from memory: an earlier OK that was not
    // saved is replaced by what the file holds. Nothing else of the header is taken from it,
    // and a file that holds no header (emptied or removed by another program) changes nothing.
    if (const std::optional<QBookHeader> stored = modquiz::storedheader(state.qbpath)) {
        state.qbheader.category = stored->category;
        state.qbheader.author = stored->author;
    } else {
        platform::msgbox(QStringLiteral("Error: Cannot open file"));
    }
    txtauthor->setText(state.qbheader.author);
    txtcatagory->setText(state.qbheader.category);
    labname->setText(state.qbpath);
}

void frminfo::cmdok_Click()
{
    auto &state = modquiz::state();
    state.qbheader.author = txtauthor->text();
    state.qbheader.category = txtcatagory->text();
    state.qbchanged = true;
    accept();
}

void frminfo::cmdcancel_Click()
{
    QDialog::reject();
}

void frminfo::reject()
{
    cmdcancel_Click();
}

void frminfo::txtcatagory_KeyPress(int &keyascii)
{
    dialogs::enterkey(keyascii, txtcatagory, [this] { txtauthor->setFocus(); });
}

void frminfo::txtauthor_KeyPress(int &keyascii)
{
    dialogs::enterkey(keyascii, txtauthor, [this] { cmdok_Click(); });
}
