#include "drawing/PaceCells.h"

#include <algorithm>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "drawing/MarkColors.h"
#include "drawing/PaintLayer.h"

namespace ostrel {
namespace {

constexpr double edgeWidth = 0.5;

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(static_cast<float>(static_cast<double>(colour.alphaF()) * alpha));
    return colour;
}

QPainterPath roundedCell(const QRectF& rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// A line drawn inside the cell's outline, as a border that never grows the cell.
void strokeInside(QPainter& painter, const QRectF& rect, double radius, const QColor& colour)
{
    const double inset = edgeWidth / 2;
    painter.setPen(QPen(colour, edgeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(roundedCell(rect.adjusted(inset, inset, -inset, -inset), std::max(radius - inset, 0.0)));
}

}  // namespace

QRectF PaceCells::cellRect(const QRectF& frame, int index) const
{
    const double width = std::max((frame.width() - spacing * (cellCount - 1)) / cellCount, 0.0);
    return {frame.left() + index * (width + spacing), frame.top(), width, frame.height()};
}

bool PaceCells::isLit(int index) const
{
    return tier.has_value() && index < filled;
}

void PaceCells::paintGlow(QPainter& painter, const QRectF& frame) const
{
    // Only lit cells glow, and cells are lit only with a tier.
    const QColor shadow = withAlpha(MarkColors::tierColor(tier.value_or(PaceTier::blue)), 0.55);
    PaintLayer::paint(
        painter,
        frame,
        1.0,
        [&](QPainter& layer) {
            for (int i = 0; i < cellCount; ++i) {
                if (isLit(i)) {
                    layer.fillPath(roundedCell(cellRect(frame, i), cornerRadius), shadow);
                }
            }
        },
        4);
}

void PaceCells::paintCells(QPainter& painter, const QRectF& frame, const QColor& primary) const
{
    for (int i = 0; i < cellCount; ++i) {
        const QRectF cell = cellRect(frame, i);
        if (isLit(i)) {
            QLinearGradient gradient(cell.topLeft(), cell.bottomLeft());
            // A cell is lit only with a tier.
            const PaceTier shade = tier.value_or(PaceTier::blue);
            gradient.setColorAt(0, MarkColors::tierHighlight(shade));
            gradient.setColorAt(1, MarkColors::tierColor(shade));
            painter.fillPath(roundedCell(cell, cornerRadius), gradient);
            strokeInside(painter, cell, cornerRadius, withAlpha(Qt::white, 0.22));
        } else {
            painter.fillPath(roundedCell(cell, cornerRadius), withAlpha(primary, 0.09));
            strokeInside(painter, cell, cornerRadius, withAlpha(primary, 0.12));
        }
    }
}

void PaceCells::paint(QPainter& painter, const QRectF& frame, const QColor& primary) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const bool glows = glow && tier.has_value() && filled > 0;
    PaintLayer::paint(painter, glows ? frame.adjusted(-6, -6, 6, 6) : frame, opacity(), [&](QPainter& layer) {
        if (glows) {
            paintGlow(layer, frame);
        }
        paintCells(layer, frame, primary);
    });
    painter.restore();
}

}  // namespace ostrel
