#include "frminfo.h"

frminfo::frminfo(frmquiz *main, QWidget *parent) : QDialog(parent), m_main(main) {}
