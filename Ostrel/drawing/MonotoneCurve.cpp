#include "drawing/MonotoneCurve.h"

#include <algorithm>
#include <cmath>

#include <QPainterPath>
#include <QTransform>

namespace ostrel {
namespace {

// Tangents within this radius (in units of the segment's slope) keep a cubic
// Hermite segment monotone.
constexpr double monotoneRadius = 3.0;

bool isFinite(const CurvePoint& point)
{
    return std::isfinite(point.x) && std::isfinite(point.y);
}

/// The slope of each segment; a vertical step counts as flat so that the
/// tangents beside it vanish and neither side bulges towards it.
std::vector<double> slopes(const std::vector<CurvePoint>& points)
{
    std::vector<double> result;
    for (std::size_t k = 0; k + 1 < points.size(); ++k) {
        const double width = points[k + 1].x - points[k].x;
        result.push_back(width > 0 ? (points[k + 1].y - points[k].y) / width : 0.0);
    }
    return result;
}

std::vector<double> tangents(const std::vector<CurvePoint>& points)
{
    std::vector<double> result(points.size(), 0.0);
    if (points.size() < 2) {
        return result;
    }
    const std::vector<double> slope = slopes(points);
    result.front() = slope.front();
    result.back() = slope.back();
    for (std::size_t k = 1; k + 1 < points.size(); ++k) {
        // At a turn or beside a flat piece the curve must level out.
        result[k] = slope[k - 1] * slope[k] > 0 ? (slope[k - 1] + slope[k]) / 2 : 0.0;
    }
    for (std::size_t k = 0; k < slope.size(); ++k) {
        if (slope[k] == 0) {
            result[k] = 0;
            result[k + 1] = 0;
            continue;
        }
        const double alpha = result[k] / slope[k];
        const double beta = result[k + 1] / slope[k];
        const double length = std::hypot(alpha, beta);
        if (length > monotoneRadius) {
            const double scale = monotoneRadius / length;
            result[k] = scale * alpha * slope[k];
            result[k + 1] = scale * beta * slope[k];
        }
    }
    return result;
}

std::vector<CurvePoint> finiteSorted(std::vector<CurvePoint> points)
{
    std::erase_if(points, [](const CurvePoint& point) { return !isFinite(point); });
    std::ranges::stable_sort(points, {}, &CurvePoint::x);
    return points;
}

}  // namespace

MonotoneCurve::MonotoneCurve(std::vector<CurvePoint> points)
    : m_points(finiteSorted(std::move(points)))
    , m_tangents(tangents(m_points))
{}

std::vector<CurveSegment> MonotoneCurve::segments() const
{
    std::vector<CurveSegment> result;
    for (std::size_t k = 0; k + 1 < m_points.size(); ++k) {
        const CurvePoint& start = m_points[k];
        const CurvePoint& end = m_points[k + 1];
        const double third = (end.x - start.x) / 3;
        result.push_back({start,
                          {start.x + third, start.y + m_tangents[k] * third},
                          {end.x - third, end.y - m_tangents[k + 1] * third},
                          end});
    }
    return result;
}

double MonotoneCurve::segmentValue(std::size_t index, double x) const
{
    const CurvePoint& start = m_points[index];
    const CurvePoint& end = m_points[index + 1];
    const double width = end.x - start.x;
    if (width <= 0) {
        return end.y;
    }
    const double t = (x - start.x) / width;
    const double t2 = t * t;
    const double t3 = t2 * t;
    return (2 * t3 - 3 * t2 + 1) * start.y + (t3 - 2 * t2 + t) * width * m_tangents[index] + (3 * t2 - 2 * t3) * end.y
           + (t3 - t2) * width * m_tangents[index + 1];
}

double MonotoneCurve::valueAt(double x) const
{
    if (m_points.empty()) {
        return 0;
    }
    if (!(x > m_points.front().x)) {
        return m_points.front().y;
    }
    if (x >= m_points.back().x) {
        return m_points.back().y;
    }
    const auto after = std::ranges::upper_bound(m_points, x, {}, &CurvePoint::x);
    const auto index = static_cast<std::size_t>(after - m_points.begin()) - 1;
    return segmentValue(index, x);
}

QPainterPath MonotoneCurve::path(const QTransform& transform) const
{
    QPainterPath result;
    if (m_points.empty()) {
        return result;
    }
    const auto map = [&transform](const CurvePoint& point) {
        return transform.map(QPointF(point.x, point.y));
    };
    result.moveTo(map(m_points.front()));
    for (const CurveSegment& segment : segments()) {
        result.cubicTo(map(segment.first), map(segment.second), map(segment.end));
    }
    return result;
}

}  // namespace ostrel
