#pragma once
// One provider's mark fitted into a square tray slot. Tray hosts draw icons
// square and squash wide ones, so the tray shows one item per enabled
// provider: the glyph above the five cells, with the label's dots, symbols
// and fading, or the gauge symbol alone when no provider is enabled.

#include <QIcon>
#include <QPixmap>

#include "drawing/LabelColors.h"
#include "drawing/MarkState.h"
#include "settings/SettingChoices.h"

class QPainter;

namespace ostrel::TrayMark {

/// The square the marks are laid out in before scaling to the slot.
inline constexpr double designSide = 22;

/// Draws `state` in the 22-point design square at the painter's origin.
void paint(QPainter& painter, const MarkState& state, MenuBarStyle style, const LabelColors& colors);
/// Draws the gauge symbol that stands for "no provider enabled".
void paintEmpty(QPainter& painter, const LabelColors& colors);

/// The mark as a transparent `slotSize` square pixmap at `devicePixelRatio`.
[[nodiscard]] QPixmap
pixmap(const MarkState& state, MenuBarStyle style, int slotSize, qreal devicePixelRatio, const LabelColors& colors);
[[nodiscard]] QPixmap emptyPixmap(int slotSize, qreal devicePixelRatio, const LabelColors& colors);

/// An icon that draws the mark afresh, square, for any size and pixel ratio asked of it.
[[nodiscard]] QIcon icon(const MarkState& state, MenuBarStyle style, const LabelColors& colors);
[[nodiscard]] QIcon emptyIcon(const LabelColors& colors);

}  // namespace ostrel::TrayMark
