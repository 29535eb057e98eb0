#include "frmabout.h"

frmabout::frmabout(frmquiz *main, QWidget *parent) : QDialog(parent), m_main(main) {}
