#pragma once
// Where a tray item is when its host says only where it was clicked: on X11
// the host's bar is the top-level window under the pointer, so the item is
// the bar's breadth around the pointer. The panel placed by that rectangle
// opens off the bar rather than over it.

#include <optional>

#include <QPoint>
#include <QRect>

namespace ostrel::BarUnderPointer {

/// The item's rectangle in the bar along the top or bottom of `screen` under
/// `pointer`; nothing off X11, or where the window there is no such bar.
[[nodiscard]] std::optional<QRect> itemAt(QPoint pointer, QRect screen);

/// The same for a bar of `bar`'s rectangle: a window no more than a quarter of
/// the screen's height, touching its top or bottom, and holding `pointer`.
[[nodiscard]] std::optional<QRect> itemIn(QRect bar, QPoint pointer, QRect screen);

}  // namespace ostrel::BarUnderPointer
