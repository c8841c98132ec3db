#pragma once
// Where the panel opens: centred under the tray item the host reports (or
// over it when the panel would not fit below, as on a bottom panel), at the
// pointer where the host reports no geometry, and always wholly on the
// screen's available area.

#include <optional>

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ostrel::PanelPlacement {

/// The gap between the tray item and the panel.
inline constexpr int gap = 4;

/// The panel's top-left corner. `anchor` is the tray item's rectangle when the
/// host reports one (an empty rectangle counts as none); `screen` is the
/// available area of the screen under the pointer.
[[nodiscard]] QPoint topLeft(QSize panel, std::optional<QRect> anchor, QPoint pointer, QRect screen);

/// The top-left corner by the bar at the right end, where trays sit, when
/// the item's place is not known: Wayland tells no pointer position, and
/// waybar reports its click within the item. `workspace` is the area the
/// bars leave of `output`; with no bar along the top, the panel goes up
/// from the bottom.
[[nodiscard]] QPoint byBar(QSize panel, QRect workspace, QRect output);

}  // namespace ostrel::PanelPlacement
