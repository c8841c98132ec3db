#pragma once
// Relative luminance and contrast ratio of opaque sRGB colours, as the web
// accessibility guidelines define them: 1 for equal colours, 21 for black on
// white, and 3 the least a graphic element needs against its background.

#include <QColor>

namespace ostrel::Contrast {

/// The least ratio at which a mark reads against its background.
inline constexpr double forGraphics = 3.0;

/// 0 for black, 1 for white; alpha is ignored.
[[nodiscard]] double relativeLuminance(const QColor& colour);
/// Between 1 and 21, the same whichever colour is given first.
[[nodiscard]] double ratio(const QColor& a, const QColor& b);

}  // namespace ostrel::Contrast
