#include "frmquiz.h"

// Stubs until this part is written.

frmquiz::frmquiz(QWidget *parent) : QMainWindow(parent)
{
}

frmquiz::~frmquiz()
{
}

void frmquiz::Form_Load(const QString &)
{
}

void frmquiz::processcommandline(const QString &)
{
}

void frmquiz::buildmenus()
{
}

void frmquiz::layoutrunpanel()
{
}

void frmquiz::placewindow()
{
}

bool frmquiz::startedwithcommandline() const
{
    return false;
}

bool frmquiz::pickerineditmode()
{
    return false;
}

void frmquiz::showeditpanel()
{
}

void frmquiz::showmessage(const QString &, const QString &)
{
}

frmeditquiz *frmquiz::picker()
{
    return nullptr;
}

void frmquiz::showpicker()
{
}

void frmquiz::closeEvent(QCloseEvent *)
{
}

bool frmquiz::eventFilter(QObject *, QEvent *)
{
    return false;
}
