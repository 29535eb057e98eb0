#pragma once

#include <QRect>
#include <QSize>

// Window and control geometry is designed in twips; on screen 15 twips are one
// device-independent pixel. This is the one place where the two meet.
namespace platform {

[[nodiscard]] constexpr int twips(int value)
{
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}

// Pixels back in twips, for placing by the design's own arithmetic.
[[nodiscard]] constexpr int totwips(int pixels)
{
    return pixels * 15;
}

[[nodiscard]] inline QSize totwips(const QSize &pixels)
{
    return pixels * 15;
}

[[nodiscard]] constexpr QRect twipsrect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

} // namespace platform
