#pragma once

class QWidget;

namespace platform {

// Enter presses the focused enabled button among root's buttons, as the space bar does: Qt
// leaves Enter to default buttons, and a window without one would pass it on.
void pressbuttonsonenter(QWidget *root);

} // namespace platform
