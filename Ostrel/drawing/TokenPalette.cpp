#include "drawing/TokenPalette.h"

#include <QLinearGradient>

#include "drawing/MarkColors.h"

namespace ostrel {
namespace {

constexpr double cachedTopOpacity = 0.44;
constexpr double cachedBottomOpacity = 0.14;
constexpr double cachedDotOpacity = 0.55;

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

QBrush verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    return {gradient};
}

}  // namespace

QBrush TokenPalette::barFill(TokenKind kind, const QRectF& rect) const
{
    switch (kind) {
    case TokenKind::cached:
        return verticalGradient(rect,
                                withOpacity(MarkColors::accentHighlight(provider), cachedTopOpacity),
                                withOpacity(MarkColors::accent(provider), cachedBottomOpacity));
    case TokenKind::input:
        return verticalGradient(rect, MarkColors::accentHighlight(provider), MarkColors::accent(provider));
    case TokenKind::output:
        break;
    }
    return {MarkColors::accentDeep(provider)};
}

QColor TokenPalette::legendColor(TokenKind kind) const
{
    switch (kind) {
    case TokenKind::cached:
        return withOpacity(MarkColors::accentHighlight(provider), cachedDotOpacity);
    case TokenKind::input:
        return MarkColors::accent(provider);
    case TokenKind::output:
        break;
    }
    return MarkColors::accentDeep(provider);
}

}  // namespace ostrel
