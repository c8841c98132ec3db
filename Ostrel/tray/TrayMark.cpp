#include "tray/TrayMark.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include <QIconEngine>
#include <QPainter>
#include <QTransform>

#include "drawing/Dot.h"
#include "drawing/MarkColors.h"
#include "drawing/OstrelCells.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/SymbolImage.h"

namespace ostrel::TrayMark {
namespace {

constexpr double glyphSize = 12;
constexpr QPointF glyphTopLeft{5, 1};
constexpr QRectF barCells{1, 15, 20, 6};
// The stacked row's slim gauge (36 by 6) scaled to the square's width.
constexpr QRectF stackedCells{1, 16.5, 20, 20.0 / 6};
constexpr std::array traySizes{16, 22, 24, 32, 48};

struct CellsPlace
{
    QRectF frame;
    double spacing = 0;
};

// The gauge moved onto whole device pixels. At tray sizes a cell is two to six
// pixels wide, and edges that fall between pixels smear the cells into each
// other; the gauge keeps its centre and at most its design width, unless two
// pixels per cell need the square's whole width.
CellsPlace onPixels(const QPainter& painter, const QRectF& frame, double spacing)
{
    const QTransform toDevice = painter.deviceTransform();
    const double scale = toDevice.m11();
    if (scale <= 0 || toDevice.isRotating()) {
        return {frame, spacing};
    }
    const QRectF device = toDevice.mapRect(frame);
    const double gap = std::max(1.0, std::round(spacing * scale));
    const auto cellFor = [&](double width) {
        return std::floor((width - gap * (OstrelCells::cellCount - 1)) / OstrelCells::cellCount);
    };
    double cell = cellFor(device.width());
    if (cell < 2) {
        cell = std::max(1.0, cellFor(designSide * scale));
    }
    const double width = cell * OstrelCells::cellCount + gap * (OstrelCells::cellCount - 1);
    const double left = std::round(device.center().x() - width / 2);
    const double top = std::round(device.top());
    const double bottom = std::max(top + 1, std::round(device.bottom()));
    return {toDevice.inverted().mapRect(QRectF(left, top, width, bottom - top)), gap / scale};
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
    const CellsPlace place = onPixels(painter, barCells, 1);
    OstrelCells{state.filledCells(), state.cellTier(), place.spacing, 1, false, state.isDimmed()}.paint(painter,
                                                                                                        place.frame,
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
    const CellsPlace place = onPixels(painter, stackedCells, 20.0 / 36 * 1.5);
    OstrelCells{state.filledCells(), state.cellTier(), place.spacing, 20.0 / 36 * 1.2, false, state.isDimmed()}.paint(
        painter,
        place.frame,
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

// A transparent square of `pixels` device pixels with the design square scaled to fill it.
QPixmap drawnSquare(int pixels, qreal devicePixelRatio, const std::function<void(QPainter&)>& draw)
{
    QPixmap pixmap(pixels, pixels);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const double scale = pixels / devicePixelRatio / designSide;
    painter.scale(scale, scale);
    draw(painter);
    return pixmap;
}

int squareSide(const QSize& size)
{
    return std::max(0, std::min(size.width(), size.height()));
}

// Draws the mark afresh at whatever size and pixel ratio the host asks for.
// Tray slots come in sizes of the host's choosing (an XEmbed panel gives 22
// pixels across and its own height less two), and a stored pixmap scaled to
// such a slot blurs the cells into each other.
class MarkEngine final : public QIconEngine
{
public:
    explicit MarkEngine(std::function<void(QPainter&)> draw)
        : m_draw(std::move(draw))
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        const double side = squareSide(rect.size());
        if (side <= 0) {
            return;
        }
        painter->save();
        painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter->translate(rect.x() + (rect.width() - side) / 2, rect.y() + (rect.height() - side) / 2);
        painter->scale(side / designSide, side / designSide);
        m_draw(*painter);
        painter->restore();
    }

    QSize actualSize(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        const int side = squareSide(size);
        return {side, side};
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1);
    }

    // `size` counts device pixels.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode /*mode*/, QIcon::State /*state*/, qreal scale) override
    {
        const int side = squareSide(size);
        return side > 0 ? drawnSquare(side, scale > 0 ? scale : 1, m_draw) : QPixmap();
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        QList<QSize> sizes;
        for (const int side : traySizes) {
            sizes.append(QSize(side, side));
        }
        return sizes;
    }

    bool isNull() override
    {
        return false;
    }

    [[nodiscard]] QString key() const override
    {
        return QStringLiteral("ostrel-tray-mark");
    }

    [[nodiscard]] QIconEngine* clone() const override
    {
        return new MarkEngine(m_draw);
    }

private:
    std::function<void(QPainter&)> m_draw;
};

QPixmap slotSquare(int slotSize, qreal devicePixelRatio, const std::function<void(QPainter&)>& draw)
{
    return drawnSquare(static_cast<int>(std::lround(slotSize * devicePixelRatio)), devicePixelRatio, draw);
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
    return slotSquare(slotSize, devicePixelRatio, [&](QPainter& painter) { paint(painter, state, style, colors); });
}

QPixmap emptyPixmap(int slotSize, qreal devicePixelRatio, const LabelColors& colors)
{
    return slotSquare(slotSize, devicePixelRatio, [&](QPainter& painter) { paintEmpty(painter, colors); });
}

QIcon icon(const MarkState& state, MenuBarStyle style, const LabelColors& colors)
{
    return QIcon(new MarkEngine([state, style, colors](QPainter& painter) { paint(painter, state, style, colors); }));
}

QIcon emptyIcon(const LabelColors& colors)
{
    return QIcon(new MarkEngine([colors](QPainter& painter) { paintEmpty(painter, colors); }));
}

}  // namespace ostrel::TrayMark
