#pragma once

#include <QtGlobal>

// What the dialogs ask of the main window, which implements it: they reach the main window
// through nothing else.
class BookWindow
{
public:
    // Presses the run panel's Close and then the edit panel's. False when the edited book
    // stayed open: the user cancelled the save prompt, or the save chosen failed.
    [[nodiscard]] virtual bool closebooks() = 0;
    // Presses the edit panel's Close, for a book that failed to load.
    virtual void closeeditedbook() = 0;
    // Enters the edit panel with the book just loaded or created: its buttons and menu items
    // by the stored count (0 for a new book), empty boxes when it has no questions.
    virtual void entereditpanel(qint16 count) = 0;
    // Loads the book opened as the working book and hands it to the panel that takes it: the
    // edit panel at question 1 when the picker is in Edit mode, else the run. False when it
    // could not be read.
    [[nodiscard]] virtual bool loadbook() = 0;

protected:
    ~BookWindow() = default;
};
