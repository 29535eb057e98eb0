#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The Help window: the built-in read-me text, read-only, scrolled to the top.
class frmhelp final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmhelp)

public:
    explicit frmhelp(QWidget *parent = nullptr);

    // The read-me as the program holds it, lines ending in CR LF.
    [[nodiscard]] static QString readmetext();

    void cmdok_Click();

    QPlainTextEdit *txthelp = nullptr;
    QPushButton *cmdok = nullptr;

protected:
    // Esc does not close this window; only its button and its close box do.
    void keyPressEvent(QKeyEvent *event) override;
};
