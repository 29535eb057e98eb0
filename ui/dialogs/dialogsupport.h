#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QDialog;
class QEvent;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Small pieces that every dialog of the program builds itself from.
namespace dialogs {

// The character code a key press types: 13 for Enter, 8 for Backspace, 27 for Esc, else the
// first character of its text; -1 for a key that types nothing (arrows, function keys).
[[nodiscard]] int keyascii(const QKeyEvent *event);

// Sends every character typed into a control to a KeyPress handler first; a handler that
// sets the code to 0 swallows the character.
class KeyPressFilter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KeyPressFilter)

public:
    using Handler = std::function<void(int &keyascii)>;
    KeyPressFilter(QWidget *control, Handler handler);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Handler m_handler;
};

// The Enter key in a text box: swallowed, and then run when the box holds text.
void enterkey(int &keyascii, const QLineEdit *box, const std::function<void()> &then);

// Esc does nothing in a window that only its button and its close box close; true when the
// key was Esc.
[[nodiscard]] bool ignoreescape(QKeyEvent *event);

// Fixed size in twips, a title, a close box and no minimize or maximize box.
void setupwindow(QDialog *dialog, const QString &title, int widthtwips, int heighttwips);

// A push button at a twips rectangle that a dialog never presses on its own: neither default
// nor auto-default, so Enter reaches the focused control, and presses the button itself when
// that is the one focused. Its accessible name is its caption without the access-key mark.
QPushButton *button(QWidget *parent, const char *name, const QString &caption, int left, int top,
                    int width, int height);

// A plain-text label at a twips position; sizes itself to its text unless width and height
// are given.
QLabel *label(QWidget *parent, const char *name, const QString &caption, int left, int top,
              int width = 0, int height = 0);

// A single-line text box at a twips rectangle, named for assistive tools by its role.
QLineEdit *textbox(QWidget *parent, const char *name, const QString &role, int left, int top,
                   int width, int height);

// The caption as a screen reader should say it: without the "&" of the access key.
[[nodiscard]] QString plaincaption(const QString &caption);

} // namespace dialogs

namespace dialogs {

// Why the file system would refuse name outright (a part too long, a character no name may
// hold), as a message for the user; empty when it would take it.
[[nodiscard]] QString refusedname(const QString &name);

// The program's own messages for a drive or folder that cannot be read.
[[nodiscard]] QString unreadablefolder(const QString &folder);
[[nodiscard]] QString unreadabledrive(const QString &drive);

} // namespace dialogs
