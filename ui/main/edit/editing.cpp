#include "frmquiz.h"

// Stubs until this part is written.

void frmquiz::fillboxes()
{
}

void frmquiz::readboxes()
{
}

void frmquiz::clearboxes()
{
}

bool frmquiz::boxesfilled() const
{
    return false;
}

void frmquiz::cmdfirst_Click()
{
}

void frmquiz::cmdprev_Click()
{
}

void frmquiz::cmdnext_Click()
{
}

void frmquiz::cmdlast_Click()
{
}

void frmquiz::cmdadd_Click()
{
}

void frmquiz::cmdupdate_Click()
{
}

void frmquiz::cmddelete_Click()
{
}

void frmquiz::deletequestion()
{
}

void frmquiz::undodelete()
{
}

void frmquiz::mnueditundodelete_Click()
{
}

void frmquiz::cmdsave_Click()
{
}

bool frmquiz::cmdeditclose_Click()
{
    return false;
}

void frmquiz::applyentrystate(qint16)
{
}

bool frmquiz::saveprompt()
{
    return false;
}
