#include "drawing/GlyphView.h"

#include <QPainter>

#include "drawing/Theme.h"

namespace ostrel {

GlyphView::GlyphView(Provider provider, double points, QWidget* parent)
    : QWidget(parent)
    , m_glyph{provider, points, false}
{
    setFixedSize(static_cast<int>(points), static_cast<int>(points));
    setAccessibleName(m_glyph.accessibleName());
}

void GlyphView::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_glyph.paint(painter, QPointF(0, 0), Theme::fromPalette(palette()).primary);
}

}  // namespace ostrel
