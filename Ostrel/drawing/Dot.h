#pragma once
// The filled, antialiased status dots the marks put on their corners.

#include <QColor>
#include <QRectF>

class QPainter;

namespace ostrel {

/// Fills the ellipse in `rect` with `colour`, leaving the painter as it was.
void fillDot(QPainter& painter, const QRectF& rect, const QColor& colour);

}  // namespace ostrel
