#include "frmquiz.h"

// Stubs until this part is written.

void frmquiz::buildeditpanel()
{
}

bool frmquiz::editboxkey(QObject *, QEvent *)
{
    return false;
}

void frmquiz::txtquestion_KeyPress(int &)
{
}

void frmquiz::txtans_KeyPress(int, int &)
{
}

void frmquiz::txtcorrect_KeyPress(int &)
{
}
