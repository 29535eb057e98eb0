#pragma once

#include <QDialog>

class frmquiz;

// Placeholder until this dialog is written.
class frmnewquiz final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmnewquiz)

public:
    explicit frmnewquiz(frmquiz *main, QWidget *parent = nullptr);

private:
    frmquiz *m_main;
};
