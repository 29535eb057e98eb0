#pragma once

#include <QObject>

class QMainWindow;

// The main window's size: its client area is the design's and the user cannot resize it, except
// while the run shows texts longer than its panel holds, when the window can be enlarged.
class FrameSize final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FrameSize)

public:
    // Fixes the size of window, whose central widget is its client area.
    explicit FrameSize(QMainWindow *window);

    // The window can be enlarged.
    void allow();
    // Back to the fixed size.
    void fix();
    // Centred across the screen, a little above the middle.
    void place();

signals:
    // The client area of an enlarged window changed size.
    void resized();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMainWindow *m_window;
    bool m_resizable = false;
};
