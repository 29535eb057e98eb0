#include "ui/dialogs/frmhelp.h"

#include "platform/fonts.h"
#include "platform/twips.h"
#include "ui/dialogs/dialogsupport.h"

#include <QFile>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

frmhelp::frmhelp(QWidget *parent) : QDialog(parent)
{
    dialogs::setupwindow(this, QStringLiteral("Help"), 7455, 6300);

    txthelp = new QPlainTextEdit(this);
    txthelp->setObjectName(QStringLiteral("txthelp"));
    txthelp->setGeometry(platform::twipsrect(120, 120, 7215, 5535));
    txthelp->setAccessibleName(QStringLiteral("Help text"));
    txthelp->setFont(platform::designfont(9.75));
    txthelp->setReadOnly(true);
    // Read-only still lets the user select and copy, with the mouse and the keyboard.
    txthelp->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    txthelp->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txthelp->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txthelp->setPlainText(readmetext());

    cmdok = dialogs::button(this, "cmdok", QStringLiteral("&OK"), 2640, 5760, 1935, 495);
    setTabOrder(txthelp, cmdok);
    connect(cmdok, &QPushButton::clicked, this, &frmhelp::cmdok_Click);

    txthelp->setFocus();
}

QString frmhelp::readmetext()
{
    QFile file(QStringLiteral(":/readme.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

void frmhelp::cmdok_Click()
{
    accept();
}

void frmhelp::keyPressEvent(QKeyEvent *event)
{
    if (!dialogs::ignoreescape(event))
        QDialog::keyPressEvent(event);
}
