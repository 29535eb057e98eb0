#include "frmquiz.h"

// Stubs until this part is written.

void frmquiz::mnuquiznew_Click()
{
}

void frmquiz::mnuquizedit_Click()
{
}

void frmquiz::mnuquizexit_Click()
{
}

bool frmquiz::Form_QueryUnload()
{
    return false;
}

void frmquiz::mnuinfo_Click()
{
}

void frmquiz::mnureadme_Click()
{
}

void frmquiz::mnuhelpabout_Click()
{
}
