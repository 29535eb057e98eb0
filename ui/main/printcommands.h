#pragma once

class QWidget;

// The Quiz menu's Print and Export as PDF: the open book as an exam with its answer key.
class PrintCommands
{
public:
    explicit PrintCommands(QWidget *window);

    // The preview, from which the print dialog is shown.
    void print();
    // A PDF file the user names, with or without the answer key.
    void exportpdf();

private:
    QWidget *m_window;
};
