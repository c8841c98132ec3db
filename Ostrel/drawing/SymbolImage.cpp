#include "drawing/SymbolImage.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QPainter>
#include <QPainterPathStroker>

namespace ostrel {
namespace {

QPainterPath stroked(const QPainterPath& path, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(path).simplified();
}

QPainterPath disc(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

// Angles in degrees, counter-clockwise from three o'clock, as on a dial.
QPointF onCircle(QPointF centre, double radius, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180;
    return centre + radius * QPointF(std::cos(radians), -std::sin(radians));
}

QPainterPath infinityPath(const QRectF& box, double line)
{
    // A lemniscate: two loops crossing at the centre.
    const double a = (box.width() - line) / 2;
    QPainterPath curve;
    constexpr int steps = 72;
    for (int i = 0; i <= steps; ++i) {
        const double t = 2 * std::numbers::pi * i / steps;
        const double d = 1 + std::sin(t) * std::sin(t);
        const QPointF point = box.center() + QPointF(a * std::cos(t) / d, 1.15 * a * std::sin(t) * std::cos(t) / d);
        if (i == 0) {
            curve.moveTo(point);
        } else {
            curve.lineTo(point);
        }
    }
    return stroked(curve, line);
}

QPainterPath arrowPath(const QRectF& box, double line)
{
    const double radius = std::min(box.width(), box.height() - line) / 2 - line / 2;
    const QPointF centre(box.center().x(), box.bottom() - line / 2 - radius);
    // Clockwise from the upper right round to the top, where the head points on.
    QPainterPath arc;
    arc.arcMoveTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 30);
    arc.arcTo(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius), 30, -285);
    const QPointF end = onCircle(centre, radius, 105);
    const double head = radius * 0.62;
    QPainterPath arrowHead;
    arrowHead.moveTo(end + QPointF(head * 0.95, 0));
    arrowHead.lineTo(end + QPointF(-head * 0.15, -head * 0.75));
    arrowHead.lineTo(end + QPointF(-head * 0.15, head * 0.75));
    arrowHead.closeSubpath();
    return stroked(arc, line).united(stroked(arrowHead, line * 0.6).united(arrowHead));
}

QPainterPath exclamationPath(const QRectF& box)
{
    const double radius = std::min(box.width(), box.height()) / 2;
    const QPointF centre = box.center();
    QPainterPath mark;
    const double bar = radius * 0.22;
    mark.addRoundedRect(QRectF(centre.x() - bar / 2, centre.y() - radius * 0.58, bar, radius * 0.72), bar / 2, bar / 2);
    mark.addEllipse(QPointF(centre.x(), centre.y() + radius * 0.42), bar * 0.65, bar * 0.65);
    // The mark lies wholly inside the disc, so an even-odd fill cuts it out.
    QPainterPath shape = disc(centre, radius);
    shape.addPath(mark);
    shape.setFillRule(Qt::OddEvenFill);
    return shape;
}

QPainterPath hourglassPath(const QRectF& box, double line)
{
    const QRectF inner = box.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    const double glassInset = inner.width() * 0.14;
    const double neck = inner.width() * 0.08;
    const QPointF mid = inner.center();
    QPainterPath outline;
    outline.moveTo(inner.topLeft());
    outline.lineTo(inner.topRight());
    outline.moveTo(inner.bottomLeft());
    outline.lineTo(inner.bottomRight());
    outline.moveTo(inner.left() + glassInset, inner.top());
    outline.quadTo(QPointF(inner.left() + glassInset, mid.y() - line), QPointF(mid.x() - neck, mid.y()));
    outline.quadTo(QPointF(inner.left() + glassInset, mid.y() + line), inner.bottomLeft() + QPointF(glassInset, 0));
    outline.moveTo(inner.right() - glassInset, inner.top());
    outline.quadTo(QPointF(inner.right() - glassInset, mid.y() - line), QPointF(mid.x() + neck, mid.y()));
    outline.quadTo(QPointF(inner.right() - glassInset, mid.y() + line), inner.bottomRight() - QPointF(glassInset, 0));
    QPainterPath sand;
    sand.moveTo(mid.x(), inner.bottom() - inner.height() * 0.3);
    sand.lineTo(inner.right() - glassInset * 1.6, inner.bottom());
    sand.lineTo(inner.left() + glassInset * 1.6, inner.bottom());
    sand.closeSubpath();
    return stroked(outline, line).united(sand);
}

QPainterPath gaugePath(const QRectF& box, double line)
{
    const double radius = box.width() / 2 - line / 2;
    const QPointF centre(box.center().x(), box.top() + line / 2 + radius);
    const QRectF circle(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    // The dial runs from lower left over the top to lower right.
    QPainterPath dial;
    dial.arcMoveTo(circle, 215);
    dial.arcTo(circle, 215, -250);
    QPainterPath shape = stroked(dial, line);
    for (int i = 0; i < 5; ++i) {
        shape = shape.united(disc(onCircle(centre, radius * 0.62, 190 - 50.0 * i), line * 0.55));
    }
    QPainterPath needle;
    needle.moveTo(centre);
    needle.lineTo(onCircle(centre, radius * 0.7, 215 - 0.33 * 250));
    return shape.united(stroked(needle, line)).united(disc(centre, line * 1.15));
}

}  // namespace

QString SymbolImage::systemName(SymbolName name)
{
    switch (name) {
    case SymbolName::gauge:
        return QStringLiteral("gauge.with.dots.needle.33percent");
    case SymbolName::infinity:
        return QStringLiteral("infinity");
    case SymbolName::arrowClockwise:
        return QStringLiteral("arrow.clockwise");
    case SymbolName::exclamationCircleFill:
        return QStringLiteral("exclamationmark.circle.fill");
    case SymbolName::hourglass:
        break;
    }
    return QStringLiteral("hourglass");
}

double SymbolImage::strokeWidth() const
{
    switch (weight) {
    case SymbolWeight::regular:
        return pointSize * 0.08;
    case SymbolWeight::medium:
        return pointSize * 0.09;
    case SymbolWeight::semibold:
        return pointSize * 0.105;
    case SymbolWeight::bold:
        break;
    }
    return pointSize * 0.125;
}

QSizeF SymbolImage::size() const
{
    switch (name) {
    case SymbolName::gauge:
        return {pointSize * 1.2, pointSize * 1.05};
    case SymbolName::infinity:
        return {pointSize * 1.45, pointSize * 0.7};
    case SymbolName::arrowClockwise:
        return {pointSize * 0.95, pointSize * 1.1};
    case SymbolName::exclamationCircleFill:
        return {pointSize * 1.1, pointSize * 1.1};
    case SymbolName::hourglass:
        break;
    }
    return {pointSize * 0.8, pointSize * 1.15};
}

QPainterPath SymbolImage::path(QPointF topLeft) const
{
    const QRectF box(topLeft, size());
    switch (name) {
    case SymbolName::gauge:
        return gaugePath(box, strokeWidth());
    case SymbolName::infinity:
        return infinityPath(box, strokeWidth());
    case SymbolName::arrowClockwise:
        return arrowPath(box, strokeWidth());
    case SymbolName::exclamationCircleFill:
        return exclamationPath(box);
    case SymbolName::hourglass:
        break;
    }
    return hourglassPath(box, strokeWidth());
}

void SymbolImage::paint(QPainter& painter, QPointF topLeft, const QColor& colour) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path(topLeft), colour);
    painter.restore();
}

}  // namespace ostrel
