#include "frmquiz.h"

// Stubs until this part is written.

void frmquiz::buildrunpanel()
{
}

void frmquiz::showquestion()
{
}

void frmquiz::firstquestion()
{
}

void frmquiz::nextquestion()
{
}

void frmquiz::cmdans_Click(int)
{
}

void frmquiz::cmdskip_Click()
{
}

void frmquiz::cmdqbclose_Click()
{
}

void frmquiz::endofquiz(bool)
{
}

void frmquiz::mnuquizrun_Click()
{
}

void frmquiz::mnuonechance_Click()
{
}
