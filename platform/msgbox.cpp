#include "platform/msgbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSize>

#include <memory>

namespace platform {
namespace {

MsgboxHandler &msgboxhandler()
{
    static MsgboxHandler handler;
    return handler;
}

ModalHandler &modalhandler()
{
    static ModalHandler handler;
    return handler;
}

QPushButton *plainbutton(QMessageBox &box, QMessageBox::StandardButton which)
{
    QPushButton *button = box.addButton(which);
    button->setIcon(QIcon());
    return button;
}

} // namespace

QString displaytext(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

std::unique_ptr<QMessageBox> makemsgbox(const QString &text, Buttons buttons, const QString &title,
                                        QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(title.isEmpty() ? QString::fromLatin1(apptitle) : title);
    box->setIcon(QMessageBox::NoIcon);
    box->setTextFormat(Qt::PlainText);
    box->setText(displaytext(text));
    switch (buttons) {
    case Buttons::Ok: {
        QPushButton *ok = plainbutton(*box, QMessageBox::Ok);
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
        break;
    }
    case Buttons::OkCancel: {
        QPushButton *ok = plainbutton(*box, QMessageBox::Ok);
        QPushButton *cancel = plainbutton(*box, QMessageBox::Cancel);
        box->setDefaultButton(ok);
        box->setEscapeButton(cancel);
        break;
    }
    case Buttons::YesNo: {
        QPushButton *yes = plainbutton(*box, QMessageBox::Yes);
        QPushButton *no = plainbutton(*box, QMessageBox::No);
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
        break;
    }
    case Buttons::YesNoCancel: {
        QPushButton *yes = plainbutton(*box, QMessageBox::Yes);
        plainbutton(*box, QMessageBox::No);
        QPushButton *cancel = plainbutton(*box, QMessageBox::Cancel);
        box->setDefaultButton(yes);
        box->setEscapeButton(cancel);
        break;
    }
    }
    return box;
}

Answer answerof(const QMessageBox &box)
{
    QAbstractButton *clicked = box.clickedButton();
    if (!clicked)
        return Answer::Cancel;
    switch (box.standardButton(clicked)) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

Answer msgbox(const QString &text, Buttons buttons, const QString &title)
{
    const QString shown = title.isEmpty() ? QString::fromLatin1(apptitle) : title;
    if (msgboxhandler())
        return msgboxhandler()(text, buttons, shown);
    const auto box = makemsgbox(text, buttons, shown, QApplication::activeWindow());
    box->exec();
    return answerof(*box);
}

void setmsgboxhandler(MsgboxHandler handler)
{
    msgboxhandler() = std::move(handler);
}

void showmodal(QDialog *dialog)
{
    if (modalhandler()) {
        modalhandler()(dialog);
        return;
    }
    dialog->exec();
}

void setmodalhandler(ModalHandler handler)
{
    modalhandler() = std::move(handler);
}

QSize screensize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(1024, 768);
}

} // namespace platform
