#include "drawing/SparkShape.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrel {
namespace {

// One ray: a tapered quadrilateral from the disc outwards with a rounded tip.
QPainterPath rayPath(QPointF centre, double radius, int index, int rays)
{
    const double angle = -std::numbers::pi / 2 + 2 * std::numbers::pi * index / rays + 0.11;
    const QPointF u(std::cos(angle), std::sin(angle));
    const QPointF p(std::cos(angle + std::numbers::pi / 2), std::sin(angle + std::numbers::pi / 2));
    const double length = radius * (index % 2 == 0 ? 1.0 : 0.82) * (index % 3 == 0 ? 0.96 : 1.0);
    const QPointF base = centre + 0.16 * radius * u;
    const QPointF tip = centre + length * u;
    const double tipHalf = 0.05 * radius;
    const double baseHalf = 0.13 * radius;

    QPainterPath ray;
    ray.moveTo(base + baseHalf * p);
    ray.lineTo(tip + tipHalf * p);
    ray.quadTo(tip + 1.5 * tipHalf * u, tip - tipHalf * p);
    ray.lineTo(base - baseHalf * p);
    ray.closeSubpath();
    return ray;
}

}  // namespace

QPainterPath SparkShape::path(const QRectF& rect) const
{
    const QPointF centre = rect.center();
    const double radius = std::min(rect.width(), rect.height()) / 2;

    QPainterPath disc;
    disc.addEllipse(centre, 0.22 * radius, 0.22 * radius);
    // A true union rather than one path under a fill rule: the rays and the
    // disc may wind in opposite directions, which would punch holes where they
    // overlap.
    QPainterPath shape = disc;
    for (int i = 0; i < rays; ++i) {
        shape = shape.united(rayPath(centre, radius, i, rays));
    }
    return shape;
}

}  // namespace ostrel
