#pragma once
// The rayed spark that stands for Claude: tapered rays of alternating length
// around a small disc, as one filled outline. The geometry is relative to the
// rectangle it is built in, so it scales with its frame.

#include <QPainterPath>
#include <QRectF>

namespace ostrel {

struct SparkShape
{
    int rays = 12;

    /// The union of the rays and the central disc, centred in `rect` with the
    /// radius set by its smaller side; fewer than one ray gives the disc alone.
    [[nodiscard]] QPainterPath path(const QRectF& rect) const;
};

}  // namespace ostrel
