#pragma once

// What the edit panel's tests share: a main window with a book open for editing, in a private
// test world.

#include "storage/modquiz.h"
#include "tests/support/windowsupport.h"
#include "ui/main/edit/editpanel.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

struct Editor : LoadedWindow
{
    QString path;

    // Opens a book the way the program does after a successful load.
    bool open(const QString &book)
    {
        path = book;
        auto &s = modquiz::state();
        s.qbpath = path;
        if (!modquiz::openbook() || !w.loadbook())
            return false;
        w.entereditpanel(s.qbheader.count);
        return true;
    }

    // A book of count questions made by makequestions().
    bool open(int count)
    {
        return open(
            env.writebook(QStringLiteral("b.Q"), makeheader(qint16(count)), makequestions(count)));
    }

    // Focus only moves in an active window.
    bool showactive()
    {
        w.show();
        w.activateWindow();
        return QTest::qWaitForWindowActive(&w);
    }

    // "1100" for First and Previous on, Next and Last off.
    [[nodiscard]] QString navstate() const
    {
        QString out;
        for (const char *name : {"cmdfirst", "cmdprev", "cmdnext", "cmdlast"})
            out += control<QPushButton>(w, name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        return out;
    }

    // Puts a record in the boxes as if typed.
    void fill(const QuestionRecord &q)
    {
        modquiz::state().workq = q;
        w.editpanel().fillboxes();
    }
};
