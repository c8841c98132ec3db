#include "drawing/CardBackground.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double fillOpacity = 0.035;
constexpr double accentOpacity = 0.16;
constexpr double accentRadius = 260;
constexpr double edgeWidth = 0.75;
constexpr double edgeOpacity = 0.08;

}  // namespace

void CardBackground::paint(QPainter& painter, const QRectF& rect, const Theme& theme) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);
    painter.fillPath(shape, theme.primaryAt(fillOpacity));
    if (accent) {
        QRadialGradient glow(rect.topLeft(), accentRadius);
        QColor inner = *accent;
        inner.setAlphaF(static_cast<float>(accentOpacity));
        QColor outer = *accent;
        outer.setAlphaF(0);
        glow.setColorAt(0, inner);
        glow.setColorAt(1, outer);
        painter.fillPath(shape, glow);
    }
    // The edge sits inside the shape, so neighbouring cards never share a line.
    const double inset = edgeWidth / 2;
    QPainterPath edge;
    edge.addRoundedRect(rect.adjusted(inset, inset, -inset, -inset), cornerRadius - inset, cornerRadius - inset);
    painter.setPen(QPen(theme.primaryAt(edgeOpacity), edgeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(edge);
    painter.restore();
}

}  // namespace ostrel
