#include "frmeditquiz.h"

frmeditquiz::frmeditquiz(frmquiz *main, QWidget *parent) : QDialog(parent), m_main(main) {}

bool frmeditquiz::ineditmode() const
{
    return true;
}

void frmeditquiz::setopenmode() {}
