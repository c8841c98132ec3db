#include "drawing/Dot.h"

#include <QPainter>

namespace ostrel {

void fillDot(QPainter& painter, const QRectF& rect, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(rect);
    painter.restore();
}

}  // namespace ostrel
