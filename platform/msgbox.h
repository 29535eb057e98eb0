#pragma once

#include <QString>

#include <functional>

#include <memory>

class QDialog;
class QMessageBox;
class QSize;
class QWidget;

// Message boxes and modal windows. Every prompt of the program goes through here, so that
// tests can script each one.
namespace platform {

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Answer { Ok, Cancel, Yes, No };

// The title shown when a message names none.
inline constexpr const char *apptitle = "Quiz";

// Shows text with the buttons and title (empty: "Quiz"), no icon. Esc and the close box
// answer Cancel. A lone carriage return in text is shown as a line break.
Answer msgbox(const QString &text, Buttons buttons = Buttons::Ok, const QString &title = {});

// Replaces every message box; it receives the title already resolved ("Quiz" for none).
using MsgboxHandler = std::function<Answer(const QString &text, Buttons, const QString &title)>;
void setmsgboxhandler(MsgboxHandler handler);

// Shows dialog modally and returns when it has closed.
void showmodal(QDialog *dialog);

// Replaces showmodal(): tests drive the live dialog through its handlers instead.
using ModalHandler = std::function<void(QDialog *)>;
void setmodalhandler(ModalHandler handler);

// The primary screen's size in device-independent pixels.
[[nodiscard]] QSize screensize();

// The box msgbox() shows, built but not shown, and the answer a closed box gives.
[[nodiscard]] std::unique_ptr<QMessageBox> makemsgbox(const QString &text, Buttons buttons,
                                                      const QString &title, QWidget *parent);
[[nodiscard]] Answer answerof(const QMessageBox &box);

// The text as a message box shows it: a lone carriage return becomes a line break.
[[nodiscard]] QString displaytext(const QString &text);

} // namespace platform
