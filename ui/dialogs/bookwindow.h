#pragma once

#include <QString>
#include <QtGlobal>

// Who opens a book: a command of the main window, or the picker, which keeps its own messages.
enum class Opener { Frame, Picker };

// What the dialogs ask of the main window, which implements it: they reach the main window
// through nothing else.
class BookWindow
{
public:
    // Presses the run panel's Close and then the edit panel's. False when the edited book
    // stayed open: the user cancelled the save prompt, or the save chosen failed.
    [[nodiscard]] virtual bool closebooks() = 0;
    // Enters the edit panel with the book just loaded or created: its buttons and menu items
    // by the stored count (0 for a new book), empty boxes when it has no questions.
    virtual void entereditpanel(qint16 count) = 0;
    // The one way a book is opened for running or editing: checked, then what is open closed,
    // then loaded and handed to its panel. False, after its message, when it is not open.
    virtual bool openbook(const QString &path, bool editing, Opener by) = 0;

protected:
    ~BookWindow() = default;
};
