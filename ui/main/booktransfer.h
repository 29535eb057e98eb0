#pragma once

#include "interchange/interchange.h"

#include <QString>

#include <functional>

class QWidget;

// Import and Export of the Quiz menu: the file dialogs, the conversion between a quiz book and
// the question files of other programs, and the writing of the result.
class BookTransfer
{
public:
    explicit BookTransfer(QWidget *window);

    // Asks for a question file, converts it, saves it as a quiz book the user names and hands
    // that book to open, then reports what was skipped. False when any step was given up or
    // refused, after its message.
    bool importbook(const std::function<bool(const QString &)> &open);
    // Writes the open book in the format the user chooses.
    void exportbook();

private:
    // Both conversions run here, off the window's thread; the window's progress shows how far
    // they are and its Cancel stops them. False when the user cancelled.
    bool convert(const QString &label,
                 const std::function<void(const interchange::Progress &)> &work);

    QWidget *m_window;
};
