#pragma once

#include <QString>

// What the command line asks of the main window at start-up: nothing, run a book or edit one.
struct Launch
{
    enum class Mode { None, Run, Edit };

    Mode mode = Mode::None;
    QString path;

    [[nodiscard]] static Launch run(const QString &path) { return {Mode::Run, path}; }
    [[nodiscard]] static Launch edit(const QString &path) { return {Mode::Edit, path}; }
};
