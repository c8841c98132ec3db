#include "panel/RefreshButton.h"

#include <QPainter>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include "drawing/Symbols.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr double symbolPoints = 12;

}  // namespace

RefreshButton::RefreshButton(QWidget* parent)
    : QToolButton(parent)
{
    setAutoRaise(true);
    setFixedSize(24, 24);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(QStringLiteral("Refresh now"));
    setAccessibleName(QStringLiteral("Refresh now"));
}

void RefreshButton::setSpinning(bool spinning)
{
    m_turn.setWanted(spinning);
}

void RefreshButton::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.icon = QIcon();
    option.text.clear();
    // The style draws the hover and press background and the focus frame; the arrow is ours.
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    const Theme theme = Theme::fromPalette(palette());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(QRectF(rect()).center());
    painter.rotate(m_turn.angle());
    const QRectF box(-symbolPoints / 2, -symbolPoints / 2, symbolPoints, symbolPoints);
    Symbols::paint(painter, Symbol::arrowClockwise, box, isEnabled() ? theme.primary : theme.secondary);
}

}  // namespace ostrel
