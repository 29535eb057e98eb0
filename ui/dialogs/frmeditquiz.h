#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class BookWindow;

namespace dialogs {
class BookList;
class DriveList;
class FolderList;
} // namespace dialogs

// The quiz book picker: chooses a book by drive, folder and file, previews its header, and
// loads it for editing (Edit mode) or for a run (Open mode).
class frmeditquiz final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmeditquiz)

public:
    explicit frmeditquiz(BookWindow *main, QWidget *parent = nullptr);

    // The mode is read from the confirm button's caption: "&Open" is Open mode.
    [[nodiscard]] bool ineditmode() const;
    // Title "Open", confirm caption "&Open".
    void setopenmode();

    // --- Handlers -------------------------------------------------------------------------
    void Drveditquiz_Change();
    void Direditquiz_Change();
    void fileditquiz_Click();
    void fileditquiz_DblClick();
    void fileditquiz_KeyPress(int &keyascii);
    void txtfname_KeyPress(int &keyascii);
    void cmdedit_Click();
    void cmdcancel_Click();

    // Esc and the close box press Cancel.
    void reject() override;

    // Brings the lists to the process's current folder, which another dialog may have moved
    // since this window was built.
    void syncwithcurrentfolder();

    // --- Controls -------------------------------------------------------------------------
    dialogs::FolderList *Direditquiz = nullptr;
    dialogs::DriveList *Drveditquiz = nullptr;
    dialogs::BookList *fileditquiz = nullptr;
    QLineEdit *txtfname = nullptr;
    QPushButton *cmdedit = nullptr;
    QPushButton *cmdcancel = nullptr;
    QLabel *labcat = nullptr;
    QLabel *labcatagory = nullptr;
    QLabel *labauth = nullptr;
    QLabel *labauthor = nullptr;
    QLabel *labc = nullptr;
    QLabel *labcount = nullptr;
    QFrame *Shape1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showpreview();

    BookWindow *m_main;
};
