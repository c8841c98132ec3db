#pragma once
// The fixed colours of the drawn marks: the provider accents, the pace-tier
// colours and highlights, the reset-credit amber and the warning orange.
// All opaque sRGB; the same in light and dark appearance.

#include <QColor>

#include "model/Pacing.h"
#include "model/Provider.h"

namespace ostrel::MarkColors {

[[nodiscard]] QColor accent(Provider provider);
[[nodiscard]] QColor accentHighlight(Provider provider);
[[nodiscard]] QColor accentDeep(Provider provider);

/// The lit cell's bottom colour, also the tier's colour in text and charts.
[[nodiscard]] QColor tierColor(PaceTier tier);
/// The lit cell's top colour.
[[nodiscard]] QColor tierHighlight(PaceTier tier);
/// The tier colour deepened to a middle luminance that keeps 3:1 against
/// both a light (#f0f0f0) and a dark (#2b2b2b) panel, for marks that cannot
/// know which they sit on.
[[nodiscard]] QColor tierOnAnyPanel(PaceTier tier);
/// A grey with the same property, for outlines and symbols.
[[nodiscard]] QColor neutralOnAnyPanel();

/// The dot that says a reset credit expires soon.
[[nodiscard]] QColor resetCreditAmber();
/// The dot and symbol that say a provider needs attention (sign-in, nothing read).
[[nodiscard]] QColor alertOrange();

}  // namespace ostrel::MarkColors
