#include "drawing/AppMark.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "drawing/MarkColors.h"
#include "model/Pacing.h"

namespace ostrel {

std::array<QRectF, 3> AppMark::barRects(QPointF topLeft)
{
    constexpr double width = 4;
    constexpr double gap = 2;
    std::array<QRectF, 3> bars;
    for (int i = 0; i < 3; ++i) {
        const double height = 4.0 * i + 7;
        bars.at(static_cast<std::size_t>(i)) =
            QRectF(topLeft.x() + i * (width + gap), topLeft.y() + side - height, width, height);
    }
    return bars;
}

void AppMark::paint(QPainter& painter, QPointF topLeft)
{
    constexpr std::array tiers{PaceTier::blue, PaceTier::green, PaceTier::yellow};
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const std::array<QRectF, 3> bars = barRects(topLeft);
    for (std::size_t i = 0; i < bars.size(); ++i) {
        QLinearGradient gradient(bars.at(i).topLeft(), bars.at(i).bottomLeft());
        gradient.setColorAt(0, MarkColors::tierHighlight(tiers.at(i)));
        gradient.setColorAt(1, MarkColors::tierColor(tiers.at(i)));
        QPainterPath bar;
        bar.addRoundedRect(bars.at(i), 1.5, 1.5);
        painter.fillPath(bar, gradient);
    }
    painter.restore();
}

}  // namespace ostrel
