#include "drawing/PaintLayer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include <QImage>
#include <QPaintDevice>
#include <QPainter>

namespace ostrel::PaintLayer {
namespace {

// One horizontal or vertical box pass over the four channels of every line.
void boxPass(QImage& image, int radius, bool horizontal)
{
    const int width = image.width();
    const int height = image.height();
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int window = 2 * radius + 1;
    std::vector<QRgb> source(static_cast<std::size_t>(length));
    for (int line = 0; line < lines; ++line) {
        auto pixel = [&](int i) -> QRgb& {
            const int x = horizontal ? i : line;
            const int y = horizontal ? line : i;
            // A scan line of a 32-bit image is a row of QRgb.
            // NOLINTNEXTLINE(cppcoreguidelines-pro-type-reinterpret-cast,cppcoreguidelines-pro-bounds-pointer-arithmetic)
            return reinterpret_cast<QRgb*>(image.scanLine(y))[x];
        };
        for (int i = 0; i < length; ++i) {
            source[static_cast<std::size_t>(i)] = pixel(i);
        }
        auto at = [&](int i) {
            return i < 0 || i >= length ? QRgb{0} : source[static_cast<std::size_t>(i)];
        };
        std::array<int, 4> sums{};
        for (int i = -radius; i <= radius; ++i) {
            const QRgb value = at(i);
            sums[0] += qAlpha(value);
            sums[1] += qRed(value);
            sums[2] += qGreen(value);
            sums[3] += qBlue(value);
        }
        for (int i = 0; i < length; ++i) {
            pixel(i) = qRgba(sums[1] / window, sums[2] / window, sums[3] / window, sums[0] / window);
            const QRgb leaving = at(i - radius);
            const QRgb entering = at(i + radius + 1);
            sums[0] += qAlpha(entering) - qAlpha(leaving);
            sums[1] += qRed(entering) - qRed(leaving);
            sums[2] += qGreen(entering) - qGreen(leaving);
            sums[3] += qBlue(entering) - qBlue(leaving);
        }
    }
}

}  // namespace

void blur(QImage& image, double radiusPixels)
{
    // Three box passes of this size approximate a Gaussian whose sigma is half
    // the radius, which is how a shadow radius is usually read.
    const double sigma = radiusPixels / 2;
    const int box = static_cast<int>(std::lround(std::sqrt(4 * sigma * sigma + 1) / 2));
    if (box < 1) {
        return;
    }
    for (int pass = 0; pass < 3; ++pass) {
        boxPass(image, box, true);
        boxPass(image, box, false);
    }
}

void paint(QPainter& painter,
           const QRectF& bounds,
           double opacity,
           const std::function<void(QPainter&)>& draw,
           double blurRadius)
{
    const QTransform world = painter.worldTransform();
    const double scale = painter.device()->devicePixelRatioF() * std::hypot(world.m11(), world.m12());
    const double pad = blurRadius * 1.5;
    // Snap the layer to whole device pixels so compositing it does not resample.
    const QRectF padded = bounds.adjusted(-pad, -pad, pad, pad);
    const QRectF snapped(std::floor(padded.left() * scale) / scale,
                         std::floor(padded.top() * scale) / scale,
                         std::ceil(padded.width() * scale + 1) / scale,
                         std::ceil(padded.height() * scale + 1) / scale);
    const QSize pixels(static_cast<int>(std::lround(snapped.width() * scale)),
                       static_cast<int>(std::lround(snapped.height() * scale)));
    if (pixels.isEmpty()) {
        return;
    }
    QImage layer(pixels, QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        layerPainter.scale(scale, scale);
        layerPainter.translate(-snapped.topLeft());
        draw(layerPainter);
    }
    if (blurRadius > 0) {
        blur(layer, blurRadius * scale);
    }
    layer.setDevicePixelRatio(scale);
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.drawImage(snapped.topLeft(), layer);
    painter.restore();
}

}  // namespace ostrel::PaintLayer
