#include "tray/TrayLayout.h"

#include <algorithm>

namespace ostrel {
namespace {

// Five cells of one whole-pixel width, `gap` apart, centred in `band`: edges
// between pixels would smear neighbouring cells into one bar.
std::array<QRect, TrayLayout::cellCount> cellsIn(const QRect& band, int gap)
{
    const int width = std::max(1, (band.width() - (TrayLayout::cellCount - 1) * gap) / TrayLayout::cellCount);
    const int left =
        band.left() + (band.width() - (TrayLayout::cellCount * width + (TrayLayout::cellCount - 1) * gap)) / 2;
    std::array<QRect, TrayLayout::cellCount> cells;
    for (int i = 0; i < TrayLayout::cellCount; ++i) {
        cells.at(static_cast<std::size_t>(i)) = QRect(left + i * (width + gap), band.top(), width, band.height());
    }
    return cells;
}

}  // namespace

int TrayLayout::gapFor(int pixels)
{
    return std::max(1, pixels / 16);
}

// The glyph over a gauge as wide as the square, at least 4 pixels high; a
// status symbol takes two fifths of the square instead.
TrayLayout TrayLayout::forCells(int pixels, bool symbol)
{
    const int gap = gapFor(pixels);
    const int band = symbol ? pixels * 2 / 5 : std::max(4, (pixels + 2) / 4);
    const int bandTop = pixels - pixels / 22 - band;
    const int glyph = std::max(1, bandTop - gap);
    return {QRect((pixels - glyph) / 2, 0, glyph, glyph), cellsIn(QRect(gap, bandTop, pixels - 2 * gap, band), gap)};
}

// The lower three eighths: a small glyph, then a thin gauge; the percentage fills the rest above.
TrayLayout TrayLayout::percent(int pixels)
{
    const int gap = gapFor(pixels);
    const int lower = std::max(5, pixels * 3 / 8);
    const int bar = std::max(2, lower / 3);
    const QRect band(lower + gap, pixels - lower + (lower - bar) / 2, pixels - lower - gap, bar);
    return {QRect(0, pixels - lower, lower, lower), cellsIn(band, 1)};
}

// One of `rows` rows: a glyph as large as the row allows once the cells have
// their width (two pixels from 22 up), then the cells.
TrayLayout TrayLayout::stacked(int pixels, int row, int rows)
{
    rows = std::max(1, rows);
    const int rowGap = std::max(2, pixels / 8);
    const int height = (pixels - rowGap * (rows - 1)) / rows;
    const int top = (pixels - (rows * height + (rows - 1) * rowGap)) / 2 + row * (height + rowGap);
    const int gap = std::max(1, pixels / 24);
    const int stepWidth = std::max(1, pixels / 11);
    const int glyph =
        std::clamp(pixels - gap - (TrayLayout::cellCount * stepWidth + (TrayLayout::cellCount - 1) * gap), 1, height);
    const int stepHeight = std::max(2, height * 3 / 5);
    const QRect band(glyph + gap, top + (height - stepHeight) / 2, pixels - glyph - gap, stepHeight);
    return {QRect(0, top + (height - glyph) / 2, glyph, glyph), cellsIn(band, gap)};
}

TrayLayout TrayLayout::forStyle(TrayStyle style, int pixels, int row, int rows, bool symbol)
{
    switch (style) {
    case TrayStyle::cells:
        break;
    case TrayStyle::cellsAndPercent:
        return percent(pixels);
    case TrayStyle::stacked:
        return stacked(pixels, row, rows);
    }
    return forCells(pixels, symbol);
}

}  // namespace ostrel
