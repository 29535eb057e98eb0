#pragma once

#include <QDialog>

class frmquiz;

// Placeholder until this dialog is written.
class frmhelp final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmhelp)

public:
    explicit frmhelp(frmquiz *main, QWidget *parent = nullptr);

private:
    frmquiz *m_main;
};
