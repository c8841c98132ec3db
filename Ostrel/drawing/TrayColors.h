#pragma once
// The colours a tray mark is drawn in for one "Tray icon" mode. Hosts do not
// tell an app the colour of their panel, so each mode names the panels its
// marks must read on, and every glyph and lit step is chosen to reach 3:1
// against each of them: Light and Dark panel for #f0f0f0 and #2b2b2b,
// Automatic for the panel actually behind the items where that is known (and
// as Colourful where not), Colourful for both fixed panels at once (its
// accents get a deep edge, since alone they fall short on light).

#include <array>
#include <optional>
#include <vector>

#include <QColor>

#include "model/Pacing.h"
#include "model/Provider.h"
#include "settings/SettingChoices.h"

namespace ostrel {

struct TrayColors
{
    /// The panel colours the marks are made to read on.
    std::vector<QColor> panels;
    /// Symbols, the percent text's fallback and monochrome glyphs.
    QColor primary;
    /// Unlit steps: faint, but visible on every panel of the mode.
    QColor unlit;
    std::array<QColor, 2> glyphs;                     ///< by provider
    std::array<std::optional<QColor>, 2> glyphEdges;  ///< by provider; drawn around the glyph
    std::array<QColor, 4> litCells;                   ///< by pace tier

    /// The light and dark panels the fixed modes are made for.
    [[nodiscard]] static QColor lightPanel();
    [[nodiscard]] static QColor darkPanel();

    /// The colours of `mode`; Automatic's are made for `panel`, the colour
    /// behind the items, and are Colourful's when it is not known.
    [[nodiscard]] static TrayColors forMode(TrayIconMode mode, std::optional<QColor> panel);

    [[nodiscard]] QColor glyph(Provider provider) const;
    [[nodiscard]] std::optional<QColor> glyphEdge(Provider provider) const;
    [[nodiscard]] QColor lit(PaceTier tier) const;
};

}  // namespace ostrel
