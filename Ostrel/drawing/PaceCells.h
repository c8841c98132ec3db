#pragma once
// The five-cell gauge: cells lit from the left in the pace tier's gradient,
// unlit cells as faint outlines, optionally glowing or faded as a whole.

#include <optional>

#include <QColor>
#include <QRectF>

#include "model/Pacing.h"

class QPainter;

namespace ostrel {

struct PaceCells
{
    static constexpr int cellCount = 5;

    int filled = 0;                ///< lit cells, 0...5
    std::optional<PaceTier> tier;  ///< absent: no cell is lit, whatever `filled` says
    double spacing = 1.5;
    double cornerRadius = 1.5;
    bool glow = false;
    bool dimmed = false;

    /// Cell `index` (0...4) of a gauge drawn in `frame`.
    [[nodiscard]] QRectF cellRect(const QRectF& frame, int index) const;
    [[nodiscard]] bool isLit(int index) const;

    /// The opacity the whole gauge is composited at.
    [[nodiscard]] double opacity() const
    {
        return dimmed ? 0.45 : 1.0;
    }

    void paint(QPainter& painter, const QRectF& frame, const QColor& primary) const;

private:
    void paintCells(QPainter& painter, const QRectF& frame, const QColor& primary) const;
    void paintGlow(QPainter& painter, const QRectF& frame) const;
};

}  // namespace ostrel
