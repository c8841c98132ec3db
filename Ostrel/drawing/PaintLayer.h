#pragma once
// Group drawing for the marks: paint several shapes into one offscreen layer
// and composite it once, so a faded gauge fades as a whole (overlapping fills
// and edges do not add up), and blur a layer for glows.

#include <functional>

#include <QRectF>

class QImage;
class QPainter;

namespace ostrel::PaintLayer {

/// Draws `draw` (in the painter's logical coordinates) into a layer covering
/// `bounds` at the painter's device resolution, blurs it by `blurRadius`
/// logical points when positive, and composites it at `opacity`.
void paint(QPainter& painter,
           const QRectF& bounds,
           double opacity,
           const std::function<void(QPainter&)>& draw,
           double blurRadius = 0);

/// A Gaussian-like blur (three box passes) of a premultiplied ARGB image, in place.
void blur(QImage& image, double radiusPixels);

}  // namespace ostrel::PaintLayer
