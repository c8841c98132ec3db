#pragma once
// One provider in the stacked style of the tray label: a small glyph, a
// slim five-cell gauge and at most one small dot. Every status draws cells.

#include <optional>

#include <QColor>
#include <QPointF>
#include <QSizeF>

#include "drawing/LabelColors.h"
#include "drawing/MarkState.h"

class QPainter;

namespace ostrel {

class StackedRow
{
public:
    static constexpr double glyphSize = 8;
    static constexpr double spacing = 3;
    static constexpr QSizeF cellsSize{36, 6};
    static constexpr double dotSize = 3;

    explicit StackedRow(MarkState state);

    /// The dot after the gauge: the tier colour for a reset warning, else amber
    /// for soon-expiring reset credits, else none.
    [[nodiscard]] std::optional<QColor> dotColor() const;
    [[nodiscard]] QSizeF size() const;
    /// Draws the row with its left edge at `leftCentre.x()`, centred on `leftCentre.y()`.
    void paint(QPainter& painter, QPointF leftCentre, const LabelColors& colors) const;

private:
    MarkState m_state;
};

}  // namespace ostrel
