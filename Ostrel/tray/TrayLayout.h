#pragma once
// Where a tray mark puts one provider's glyph and five cells, in whole device
// pixels of a square slot: cells of one width, a clear gap between them, and
// never over the glyph, so lit and unlit cells stay countable at 16 pixels.

#include <array>

#include <QRect>

#include "settings/SettingChoices.h"

namespace ostrel {

struct TrayLayout
{
    static constexpr int cellCount = 5;

    QRect glyph;
    std::array<QRect, cellCount> cells;

    /// The gap between cells and around the gauge in a square of `pixels`.
    [[nodiscard]] static int gapFor(int pixels);
    /// The glyph over a gauge as wide as the square; `symbol` gives the gauge's band to a status symbol.
    [[nodiscard]] static TrayLayout forCells(int pixels, bool symbol);
    /// A small glyph and a thin gauge along the bottom, under the percentage.
    [[nodiscard]] static TrayLayout percent(int pixels);
    /// Row `row` of `rows`: a glyph, then the gauge.
    [[nodiscard]] static TrayLayout stacked(int pixels, int row, int rows);
    /// The layout `style` uses; `cellsAndPercent` draws as `cells` whenever it has no
    /// percentage to show or is signed out.
    [[nodiscard]] static TrayLayout
    forStyle(TrayStyle style, int pixels, int row = 0, int rows = 1, bool symbol = false);
};

}  // namespace ostrel
