#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The Info dialog: shows the open book's path and the category and author stored in its file,
// and lets the user change the two texts in memory; the next save writes them.
class frminfo final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frminfo)

public:
    explicit frminfo(QWidget *parent = nullptr);

    // --- Handlers -------------------------------------------------------------------------
    // Reads the stored header into the working state and the boxes; runs at creation.
    void Form_Load();
    void cmdok_Click();
    void cmdcancel_Click();
    void txtcatagory_KeyPress(int &keyascii);
    void txtauthor_KeyPress(int &keyascii);

    // Esc and the close box press Cancel.
    void reject() override;

    // --- Controls -------------------------------------------------------------------------
    QLabel *labnam = nullptr;
    QLabel *labname = nullptr;
    QLabel *labcatagory = nullptr;
    QLineEdit *txtcatagory = nullptr;
    QLabel *labauthor = nullptr;
    QLineEdit *txtauthor = nullptr;
    QPushButton *cmdok = nullptr;
    QPushButton *cmdcancel = nullptr;
};
