#include "frmnewquiz.h"

frmnewquiz::frmnewquiz(frmquiz *main, QWidget *parent) : QDialog(parent), m_main(main) {}
