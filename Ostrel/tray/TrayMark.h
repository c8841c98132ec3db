#pragma once
// The marks of the tray items, laid out for the slot in device pixels rather
// than shrunk from one design: hosts give square slots of 16 to 48 pixels at
// pixel ratios 1 and 2, and a mark scaled to them blurs its steps together.
// `bars` is the provider's glyph over a five-step gauge; `barsAndPercent` the
// percentage left, large, over a small glyph and a thin gauge; `stacked` one
// item with a row (small glyph and gauge) per enabled provider. The status
// dots and symbols stay, and the glyph is drawn in every state.

#include <array>
#include <span>
#include <vector>

#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "drawing/MarkState.h"
#include "drawing/TrayColors.h"
#include "settings/SettingChoices.h"

namespace ostrel::TrayMark {

/// The slot sides, in logical pixels, that tray hosts commonly ask for.
inline constexpr std::array slotSizes{16, 22, 24, 32, 48};

/// The mark as a transparent square image of `pixels` device pixels. `marks`
/// holds the one provider of a bar style, or every row of the stacked style.
[[nodiscard]] QImage image(std::span<const MarkState> marks, TrayStyle style, int pixels, const TrayColors& colors);
/// The gauge symbol that stands for "no provider enabled".
[[nodiscard]] QImage emptyImage(int pixels, const TrayColors& colors);

/// The mark as a `slotSize` square pixmap at `devicePixelRatio`.
[[nodiscard]] QPixmap pixmap(std::span<const MarkState> marks,
                             TrayStyle style,
                             int slotSize,
                             qreal devicePixelRatio,
                             const TrayColors& colors);

/// An icon that lays the mark out afresh for any size and pixel ratio asked of it.
[[nodiscard]] QIcon icon(std::vector<MarkState> marks, TrayStyle style, const TrayColors& colors);
[[nodiscard]] QIcon emptyIcon(const TrayColors& colors);

}  // namespace ostrel::TrayMark
