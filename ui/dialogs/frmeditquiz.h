#pragma once

#include <QDialog>

class frmquiz;

// Placeholder until this dialog is written.
class frmeditquiz final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmeditquiz)

public:
    explicit frmeditquiz(frmquiz *main, QWidget *parent = nullptr);

    // The mode is read from the confirm button's caption: "&Open" is Open mode.
    [[nodiscard]] bool ineditmode() const;
    // Title "Open", confirm caption "&Open".
    void setopenmode();

private:
    frmquiz *m_main;
};
