#pragma once

#include <QDialog>

class frmquiz;

// Placeholder until this dialog is written.
class frmabout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmabout)

public:
    explicit frmabout(frmquiz *main, QWidget *parent = nullptr);

private:
    frmquiz *m_main;
};
