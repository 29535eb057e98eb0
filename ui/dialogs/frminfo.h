#pragma once

#include <QDialog>

class frmquiz;

// Placeholder until this dialog is written.
class frminfo final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frminfo)

public:
    explicit frminfo(frmquiz *main, QWidget *parent = nullptr);

private:
    frmquiz *m_main;
};
