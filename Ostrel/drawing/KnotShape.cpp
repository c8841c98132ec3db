#include "drawing/KnotShape.h"

#include <algorithm>

#include <QPainterPathStroker>
#include <QTransform>

namespace ostrel {

QPainterPath KnotShape::links(const QRectF& rect)
{
    const QPointF centre = rect.center();
    const double side = std::min(rect.width(), rect.height());
    const double width = 0.56 * side;
    const double height = 0.30 * side;
    const double radius = 0.15 * side;

    QPainterPath link;
    link.addRoundedRect(QRectF(-0.18 * width, -0.43 * side, width, height), radius, radius);

    QPainterPath all;
    for (int step = 0; step < 6; ++step) {
        QTransform turn;
        turn.translate(centre.x(), centre.y());
        turn.rotate(60.0 * step);
        all.addPath(turn.map(link));
    }
    return all;
}

QPainterPath KnotShape::path(const QRectF& rect) const
{
    QPainterPathStroker stroker;
    stroker.setWidth(lineWidth);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    QPainterPath outline = stroker.createStroke(links(rect));
    outline.setFillRule(Qt::WindingFill);
    return outline;
}

}  // namespace ostrel
