#include "drawing/StackedRow.h"

#include <algorithm>
#include <utility>

#include <QPainter>

#include "drawing/Dot.h"
#include "drawing/MarkColors.h"
#include "drawing/PaceCells.h"
#include "drawing/ProviderGlyph.h"

namespace ostrel {

StackedRow::StackedRow(MarkState state)
    : m_state(std::move(state))
{}

std::optional<QColor> StackedRow::dotColor() const
{
    if (const std::optional<PaceTier> tier = m_state.resetWarningTier()) {
        return MarkColors::tierColor(*tier);
    }
    if (m_state.creditsExpiringSoon) {
        return MarkColors::resetCreditAmber();
    }
    return std::nullopt;
}

QSizeF StackedRow::size() const
{
    double width = glyphSize + spacing + cellsSize.width();
    if (dotColor()) {
        width += spacing + dotSize;
    }
    return {width, std::max(glyphSize, cellsSize.height())};
}

void StackedRow::paint(QPainter& painter, QPointF leftCentre, const LabelColors& colors) const
{
    const double centre = leftCentre.y();
    ProviderGlyph{m_state.provider, glyphSize, true}.paint(painter,
                                                           QPointF(leftCentre.x(), centre - glyphSize / 2),
                                                           colors.primary);
    const QRectF frame(leftCentre.x() + glyphSize + spacing,
                       centre - cellsSize.height() / 2,
                       cellsSize.width(),
                       cellsSize.height());
    PaceCells{m_state.filledCells(), m_state.cellTier(), 1.5, 1.2, false, m_state.isDimmed()}.paint(painter,
                                                                                                    frame,
                                                                                                    colors.primary);
    if (const std::optional<QColor> colour = dotColor()) {
        fillDot(painter, QRectF(frame.right() + spacing, centre - dotSize / 2, dotSize, dotSize), *colour);
    }
}

}  // namespace ostrel
