#pragma once

#include "tests/support/testsupport.h"
#include "ui/main/frmquiz.h"

#include <QPushButton>
#include <QString>

// A main window after its load step with no command line, in a private test world whose
// messages are scripted.
struct LoadedWindow
{
    TestEnvironment env;
    ScriptedMessages script;
    frmquiz w;

    LoadedWindow() { w.Form_Load({}); }
};

// The edit panel's buttons First, Prev, Next, Last, Delete, Update, Save, Add as 0/1.
inline QString editbuttons(const frmquiz &w)
{
    QString out;
    for (const char *name : {"cmdfirst", "cmdprev", "cmdnext", "cmdlast", "cmddelete", "cmdupdate",
                             "cmdsave", "cmdadd"})
        out += control<QPushButton>(w, name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}
