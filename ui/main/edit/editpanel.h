#pragma once

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// The edit panel picedit: one question of the open book at a time in its boxes, the moves
// through the book, adding, updating, deleting and saving. Handlers are plain members, callable
// whether their button is enabled or the panel visible or not.
class EditPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditPanel)

public:
    explicit EditPanel(QWidget *parent);

    // The start-up states: every button but Add and Close off.
    void startstates();
    // Enters the panel with the book just loaded or created: its buttons by the stored count
    // (0 for a new book), empty boxes when it has no questions.
    void enter(qint16 count);
    // After a book was opened or created for editing: the focus in the question box, the
    // number label at 1.
    void starttyping();
    // Lets filter see what is dragged onto the boxes, which take text drops of their own.
    void watchdrops(QObject *filter);

    void fillboxes();
    void readboxes();
    void clearboxes();
    [[nodiscard]] bool boxesfilled() const;
    // Whether Add and Update store the boxes: silently false for an empty question or Correct
    // box; for a question with empty answer slots that breaks the rule, false after a message
    // that names the reason.
    [[nodiscard]] bool boxesstorable();
    void cmdfirst_Click();
    void cmdprev_Click();
    void cmdnext_Click();
    void cmdlast_Click();
    void cmdadd_Click();
    void cmdupdate_Click();
    void cmddelete_Click();
    void deletequestion();
    void undodelete();
    void cmdsave_Click();
    // True when the panel closed; false when the user cancelled or a chosen save failed.
    bool cmdeditclose_Click();
    // Key handlers receive the typed character's code; setting it to 0 swallows it.
    void txtquestion_KeyPress(int &keyascii);
    void txtans_KeyPress(int index, int &keyascii);
    void txtcorrect_KeyPress(int &keyascii);

    // The save prompt for unsaved changes: Yes presses Save, No drops the changes, Cancel
    // keeps them. False only when the answer was Cancel.
    [[nodiscard]] bool saveprompt();
    // Before a save: asks when another program changed the file since it was opened, and when
    // texts would be cut. False when the user keeps the file as it is.
    [[nodiscard]] bool savewanted();
    // The save prompt when there are unsaved changes; true when none are left.
    [[nodiscard]] bool changessettled();

signals:
    // A deleted question can be brought back, or no longer.
    void undoavailable(bool available);
    // A book is open in the panel, or no longer: Info, Export and Print follow.
    void bookopen(bool open);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    // Question k into workq and the boxes; the number label too unless told otherwise.
    void showstored(int k, bool setlabel = true);

    QLabel *labq = nullptr;
    QLabel *labnum1 = nullptr;
    QPlainTextEdit *txtquestion = nullptr;
    QLabel *labanswer = nullptr;
    QLabel *lab1 = nullptr;
    QLabel *lab2 = nullptr;
    QLabel *lab3 = nullptr;
    QLabel *lab4 = nullptr;
    std::array<QLineEdit *, 4> txtans{};
    QLabel *labcorrectans = nullptr;
    QLineEdit *txtcorrect = nullptr;
    QFrame *Shape2 = nullptr;
    QPushButton *cmddelete = nullptr;
    QPushButton *cmdfirst = nullptr;
    QPushButton *cmdprev = nullptr;
    QPushButton *cmdnext = nullptr;
    QPushButton *cmdlast = nullptr;
    QPushButton *cmdadd = nullptr;
    QPushButton *cmdupdate = nullptr;
    QPushButton *cmdsave = nullptr;
    QPushButton *cmdeditclose = nullptr;

    // The question text fillboxes last put into txtquestion, with its line breaks as stored.
    QString m_storedquestion;
};
