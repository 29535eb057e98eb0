#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class BookWindow;

namespace dialogs {
class DriveList;
class FolderList;
} // namespace dialogs

// The New Quiz dialog: a name, a category, an author and a folder; Create writes the new
// book's header and hands the empty book to the edit panel.
class frmnewquiz final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmnewquiz)

public:
    explicit frmnewquiz(BookWindow *main, QWidget *parent = nullptr);

    // The longest book name the name box takes.
    static constexpr int maxnamelength = 35;

    // --- Handlers -------------------------------------------------------------------------
    void cmdcreate_Click();
    void cmdcancel_Click();
    void txtname_KeyPress(int &keyascii);
    void txtcatagory_KeyPress(int &keyascii);
    void txtauthor_KeyPress(int &keyascii);
    void Drvnewquiz_Change();
    void dirnewquiz_Change();

    // Esc and the close box press Cancel.
    void reject() override;

    // --- Controls -------------------------------------------------------------------------
    QLabel *labname = nullptr;
    QLabel *labcatagory = nullptr;
    QLabel *labauthor = nullptr;
    QLineEdit *txtname = nullptr;
    QLineEdit *txtcatagory = nullptr;
    QLineEdit *txtauthor = nullptr;
    QPushButton *cmdcreate = nullptr;
    QPushButton *cmdcancel = nullptr;
    dialogs::DriveList *Drvnewquiz = nullptr;
    dialogs::FolderList *dirnewquiz = nullptr;
    QFrame *Shape1 = nullptr;

private:
    // Creates the book file at qbpath holding the header alone; false after its message.
    [[nodiscard]] bool createfile(bool replacing);
    void handover();

    BookWindow *m_main;
};
