#include "drawing/ProviderGlyph.h"

#include <algorithm>

#include <QPainter>

#include "drawing/KnotShape.h"
#include "drawing/MarkColors.h"
#include "drawing/SparkShape.h"

namespace ostrel {

double ProviderGlyph::knotLineWidth() const
{
    return std::max(size * 0.105, 1.0);
}

QPainterPath ProviderGlyph::path(QPointF topLeft) const
{
    const QRectF frame(topLeft, QSizeF(size, size));
    if (provider == Provider::claude) {
        return SparkShape{12}.path(frame);
    }
    return KnotShape{knotLineWidth()}.path(frame);
}

QColor ProviderGlyph::fillColor(const QColor& primary) const
{
    if (provider == Provider::claude && !monochrome) {
        return MarkColors::accent(provider);
    }
    return primary;
}

QString ProviderGlyph::accessibleName() const
{
    return QString::fromUtf8(displayName(provider));
}

void ProviderGlyph::paint(QPainter& painter, QPointF topLeft, const QColor& primary) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(path(topLeft), fillColor(primary));
    painter.restore();
}

}  // namespace ostrel
