#pragma once

#include <QDialog>

class QGroupBox;
class QLabel;
class QPushButton;

// The About window: the program's title and who made it.
class frmabout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmabout)

public:
    explicit frmabout(QWidget *parent = nullptr);

    // Centres the window horizontally on the screen; runs at creation.
    void Form_Load();
    void Command1_Click();

    QLabel *Label1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *Command1 = nullptr;

protected:
    // Esc does not close this window; only its button and its close box do.
    void keyPressEvent(QKeyEvent *event) override;
};
