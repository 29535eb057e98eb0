#pragma once

#include <QFont>

namespace platform {

// The face every window and control is designed in, at the given size: "MS Sans Serif",
// which Linux lacks, so it is substituted once by the metric-compatible Liberation Sans.
// The twips positions leave room for captions in that narrow face only.
[[nodiscard]] QFont designfont(qreal points, bool bold = false);

} // namespace platform
