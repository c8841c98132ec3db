#pragma once
// A smooth curve through points ordered by x that never overshoots them: a
// piecewise cubic Hermite curve whose tangents are limited (Fritsch and
// Carlson) so that between two neighbours it stays within their y values.
// Charts rely on this to keep a curve inside the range of what it plots.

#include <cstddef>
#include <vector>

class QPainterPath;
class QTransform;

namespace ostrel {

struct CurvePoint
{
    double x = 0;
    double y = 0;

    bool operator==(const CurvePoint&) const = default;
};

/// One piece of the curve as a cubic Bézier: from `start` through the
/// control points `first` and `second` to `end`.
struct CurveSegment
{
    CurvePoint start;
    CurvePoint first;
    CurvePoint second;
    CurvePoint end;
};

class MonotoneCurve
{
public:
    /// `points` sorted by x, earliest first; equal x values make a straight
    /// vertical step. Points with a coordinate that is not finite are left out.
    explicit MonotoneCurve(std::vector<CurvePoint> points);

    [[nodiscard]] const std::vector<CurvePoint>& points() const
    {
        return m_points;
    }

    [[nodiscard]] bool isEmpty() const
    {
        return m_points.empty();
    }

    /// One segment between each pair of neighbouring points.
    [[nodiscard]] std::vector<CurveSegment> segments() const;

    /// The curve's y at `x`, clamped to the first and last point outside them;
    /// 0 for a curve without points.
    [[nodiscard]] double valueAt(double x) const;

    /// The curve as a path starting at the first point, mapped by `transform`.
    /// An affine mapping keeps the curve within its points' y range.
    [[nodiscard]] QPainterPath path(const QTransform& transform) const;

private:
    [[nodiscard]] double segmentValue(std::size_t index, double x) const;

    std::vector<CurvePoint> m_points;
    std::vector<double> m_tangents;  ///< dy/dx at each point
};

}  // namespace ostrel
