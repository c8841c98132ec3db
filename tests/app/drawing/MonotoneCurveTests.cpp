// The monotone curve: through every point, never beyond its neighbours, and
// the same when drawn as a path.

#include "drawing/MonotoneCurve.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string_view>
#include <vector>

#include <QPainterPath>
#include <QPolygonF>
#include <QTransform>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

struct Probe
{
    double x;
    double y;
};

TEST(MonotoneCurve, PassesThroughItsPointsWithoutOvershooting)
{
    struct Case
    {
        std::string_view name;
        std::vector<CurvePoint> points;
        std::vector<Probe> probes;
    };

    const auto cases = std::to_array<Case>({
        {"two points make a straight line", {{0, 100}, {10, 40}}, {{0, 100}, {2.5, 85}, {5, 70}, {10, 40}}},
        {"a flat stretch stays flat before a rise that a spline would undershoot",
         {{0, 0}, {1, 0}, {2, 100}, {3, 100}},
         {{0.5, 0}, {2, 100}, {2.5, 100}}},
        {"a peak is the curve's highest value", {{0, 0}, {1, 10}, {2, 0}}, {{1, 10}}},
        {"an equal x is a vertical step between flat sides",
         {{0, 0}, {1, 0}, {1, 100}, {2, 100}},
         {{0.5, 0}, {1.5, 100}}},
        {"outside its points the curve keeps the end values", {{0, 100}, {10, 40}}, {{-5, 100}, {15, 40}}},
        {"points that are no number are left out", {{0, 100}, {nan, 50}, {5, nan}, {10, 0}}, {{5, 50}}},
        {"points come in any order", {{10, 0}, {0, 100}}, {{5, 50}}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MonotoneCurve curve(c.points);
        for (const Probe& probe : c.probes) {
            SCOPED_TRACE(probe.x);
            EXPECT_NEAR(curve.valueAt(probe.x), probe.y, 1e-9);
        }
    }
}

TEST(MonotoneCurve, SegmentsAreTheCurveAsCubics)
{
    const MonotoneCurve curve({{0, 100}, {3, 70}, {6, 65}, {9, 10}});
    const std::vector<CurveSegment> segments = curve.segments();
    ASSERT_EQ(segments.size(), 3U);
    for (const CurveSegment& segment : segments) {
        // The middle of a Bézier whose controls sit at the thirds of x is the curve at the middle x.
        const double y = (segment.start.y + 3 * segment.first.y + 3 * segment.second.y + segment.end.y) / 8;
        EXPECT_NEAR(y, curve.valueAt((segment.start.x + segment.end.x) / 2), 1e-9);
    }
    EXPECT_EQ(MonotoneCurve({}).path(QTransform()).elementCount(), 0);
}

}  // namespace
}  // namespace ostrel
