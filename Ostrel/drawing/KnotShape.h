#pragma once
// The six-link knot that stands for OpenAI: six rounded links rotated about
// the centre in steps of 60 degrees, stroked, and the stroke's outline taken as
// the filled shape. Relative to its rectangle, so it scales with its frame.

#include <QPainterPath>
#include <QRectF>

namespace ostrel {

struct KnotShape
{
    double lineWidth = 1;

    /// The six link outlines before stroking, centred in `rect`.
    [[nodiscard]] static QPainterPath links(const QRectF& rect);
    /// The filled outline of the links stroked at `lineWidth` with round caps and joins.
    [[nodiscard]] QPainterPath path(const QRectF& rect) const;
};

}  // namespace ostrel
