#pragma once
// The application's mark: three rising bars in the blue, green and yellow
// tier colours, bottom-aligned in a 16-point square.

#include <array>

#include <QPointF>
#include <QRectF>

class QPainter;

namespace ostrel {

struct AppMark
{
    static constexpr double side = 16;

    /// The three bars, left to right, in the square whose top-left is `topLeft`.
    [[nodiscard]] static std::array<QRectF, 3> barRects(QPointF topLeft);

    static void paint(QPainter& painter, QPointF topLeft);
};

}  // namespace ostrel
