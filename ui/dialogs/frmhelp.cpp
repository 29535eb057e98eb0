#include "frmhelp.h"

frmhelp::frmhelp(frmquiz *main, QWidget *parent) : QDialog(parent), m_main(main) {}
