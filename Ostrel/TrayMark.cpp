#include "TrayMark.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include <QPainter>

#include "MarkColors.h"
#include "OstrelCells.h"
#include "ProviderGlyph.h"
#include "SymbolImage.h"

namespace ostrel::TrayMark {
namespace {

constexpr double glyphSize = 12;
constexpr QPointF glyphTopLeft{5, 1};
constexpr QRectF barCells{1, 15, 20, 6};
// The stacked row's slim gauge (36 by 6) scaled to the square's width.
constexpr QRectF stackedCells{1, 16.5, 20, 20.0 / 6};
constexpr std::array traySizes{16, 22, 24, 32, 48};

void fillDot(QPainter& painter, const QRectF& rect, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(rect);
    painter.restore();
}

// A status symbol shrunk, never grown, to fit `box`, and centred in it.
void paintFitted(QPainter& painter, SymbolImage symbol, const QRectF& box, const QColor& colour)
{
    const QSizeF natural = symbol.size();
    const double fit = std::min({1.0, box.width() / natural.width(), box.height() / natural.height()});
    symbol.pointSize *= fit;
    const QSizeF size = symbol.size();
    symbol.paint(painter, box.center() - QPointF(size.width() / 2, size.height() / 2), colour);
}

void paintBars(QPainter& painter, const MarkState& state, const LabelColors& colors)
{
    switch (state.indicator()) {
    case MarkIndicator::infinity:
        paintFitted(painter,
                    {SymbolName::infinity, 11, SymbolWeight::semibold},
                    barCells.adjusted(0, -1.5, 0, 1),
                    colors.secondary);
        return;
    case MarkIndicator::renewedArrow:
        paintFitted(painter,
                    {SymbolName::arrowClockwise, 10, SymbolWeight::semibold},
                    barCells.adjusted(0, -1.5, 0, 1),
                    colors.secondary);
        return;
    case MarkIndicator::loginAlert:
        paintFitted(painter,
                    {SymbolName::exclamationCircleFill, 11, SymbolWeight::regular},
                    barCells.adjusted(0, -1.5, 0, 1),
                    MarkColors::alertOrange());
        return;
    case MarkIndicator::cells:
        break;
    }
    OstrelCells{state.filledCells(), state.cellTier(), 1, 1, false, state.isDimmed()}.paint(painter,
                                                                                            barCells,
                                                                                            colors.primary);
    if (state.alertDot()) {
        fillDot(painter, QRectF(designSide - 4, barCells.top() - 2, 4, 4), MarkColors::alertOrange());
    }
    if (const std::optional<PaceTier> tier = state.resetWarningTier()) {
        SymbolImage{SymbolName::hourglass, 7, SymbolWeight::bold}.paint(painter,
                                                                        QPointF(0, 2.5),
                                                                        MarkColors::tierColor(*tier));
    }
}

void paintStacked(QPainter& painter, const MarkState& state, const LabelColors& colors)
{
    OstrelCells{state.filledCells(), state.cellTier(), 20.0 / 36 * 1.5, 20.0 / 36 * 1.2, false, state.isDimmed()}.paint(
        painter,
        stackedCells,
        colors.primary);
    std::optional<QColor> dot;
    if (const std::optional<PaceTier> tier = state.resetWarningTier()) {
        dot = MarkColors::tierColor(*tier);
    } else if (state.creditsExpiringSoon) {
        dot = MarkColors::resetCreditAmber();
    }
    if (dot) {
        fillDot(painter, QRectF(designSide - 4, 1, 3, 3), *dot);
    }
}

QPixmap drawnSquare(int slotSize, qreal devicePixelRatio, const std::function<void(QPainter&)>& draw)
{
    const int pixels = static_cast<int>(std::lround(slotSize * devicePixelRatio));
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.scale(slotSize / designSide, slotSize / designSide);
    draw(painter);
    return pixmap;
}

QIcon iconOf(const std::function<QPixmap(int, qreal)>& make)
{
    QIcon icon;
    for (const int size : traySizes) {
        icon.addPixmap(make(size, 1));
        icon.addPixmap(make(size, 2));
    }
    return icon;
}

}  // namespace

void paint(QPainter& painter, const MarkState& state, MenuBarStyle style, const LabelColors& colors)
{
    const bool stacked = style == MenuBarStyle::stacked;
    const QPointF glyphAt = stacked ? glyphTopLeft + QPointF(0, 1) : glyphTopLeft;
    ProviderGlyph{state.provider, glyphSize, true}.paint(painter, glyphAt, colors.primary);
    if (stacked) {
        paintStacked(painter, state, colors);
        return;
    }
    if (state.creditsExpiringSoon) {
        fillDot(painter,
                QRectF(glyphAt.x() + glyphSize - 5 + 2, glyphAt.y() - 1, 5, 5),
                MarkColors::resetCreditAmber());
    }
    paintBars(painter, state, colors);
}

void paintEmpty(QPainter& painter, const LabelColors& colors)
{
    paintFitted(painter,
                {SymbolName::gauge, 13, SymbolWeight::medium},
                QRectF(0, 0, designSide, designSide),
                colors.primary);
}

QPixmap
pixmap(const MarkState& state, MenuBarStyle style, int slotSize, qreal devicePixelRatio, const LabelColors& colors)
{
    return drawnSquare(slotSize, devicePixelRatio, [&](QPainter& painter) { paint(painter, state, style, colors); });
}

QPixmap emptyPixmap(int slotSize, qreal devicePixelRatio, const LabelColors& colors)
{
    return drawnSquare(slotSize, devicePixelRatio, [&](QPainter& painter) { paintEmpty(painter, colors); });
}

QIcon icon(const MarkState& state, MenuBarStyle style, const LabelColors& colors)
{
    return iconOf([&](int size, qreal dpr) { return pixmap(state, style, size, dpr, colors); });
}

QIcon emptyIcon(const LabelColors& colors)
{
    return iconOf([&](int size, qreal dpr) { return emptyPixmap(size, dpr, colors); });
}

}  // namespace ostrel::TrayMark
