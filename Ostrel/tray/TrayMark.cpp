#include "tray/TrayMark.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include <QFontMetricsF>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

#include "drawing/Dot.h"
#include "drawing/MarkColors.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/ProviderMark.h"
#include "drawing/SymbolImage.h"
#include "tray/TrayLayout.h"

namespace ostrel::TrayMark {
namespace {

int dotSide(int pixels)
{
    return std::max(3, pixels / 5);
}

void paintGlyph(QPainter& painter, Provider provider, const QRect& box, const TrayColors& colors)
{
    const ProviderGlyph glyph{provider, static_cast<double>(box.width()), false};
    const QPainterPath path = glyph.path(box.topLeft());
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (const std::optional<QColor> edge = colors.glyphEdge(provider)) {
        // Stroked twice as wide as the edge, then filled over: the edge lies outside the glyph.
        const double width = std::max(1.0, box.width() / 14.0);
        painter.strokePath(path, QPen(*edge, 2 * width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    painter.fillPath(path, colors.glyph(provider));
    painter.restore();
}

// Faded figures keep their colour, for contrast, and light only the lower half of each cell.
void paintCells(QPainter& painter,
                const std::array<QRect, TrayLayout::cellCount>& cells,
                const MarkState& state,
                const TrayColors& colors)
{
    const std::optional<PaceTier> tier = state.cellTier();
    for (int i = 0; i < TrayLayout::cellCount; ++i) {
        const QRect& cell = cells.at(static_cast<std::size_t>(i));
        const bool lit = tier && i < state.filledCells();
        if (!lit || state.isDimmed()) {
            painter.fillRect(cell, colors.unlit);
        }
        if (lit) {
            const QRect part = state.isDimmed() ? cell.adjusted(0, cell.height() / 2, 0, 0) : cell;
            painter.fillRect(part, colors.lit(*tier));
        }
    }
}

// A status symbol scaled to fit `box`, centred in it.
void paintFitted(QPainter& painter, SymbolImage symbol, const QRectF& box, const QColor& colour)
{
    const QSizeF natural = symbol.size();
    symbol.pointSize *= std::min(box.width() / natural.width(), box.height() / natural.height());
    const QSizeF size = symbol.size();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    symbol.paint(painter, box.center() - QPointF(size.width() / 2, size.height() / 2), colour);
    painter.restore();
}

std::optional<SymbolImage> statusSymbol(MarkIndicator indicator)
{
    switch (indicator) {
    case MarkIndicator::infinity:
        return SymbolImage{SymbolName::infinity, 11, SymbolWeight::bold};
    case MarkIndicator::renewedArrow:
        return SymbolImage{SymbolName::arrowClockwise, 10, SymbolWeight::bold};
    case MarkIndicator::loginAlert:
        return SymbolImage{SymbolName::exclamationCircleFill, 11, SymbolWeight::regular};
    case MarkIndicator::cells:
        break;
    }
    return std::nullopt;
}

// The corner marks of a glyph: the tier's hourglass on the left, the reset
// credits' amber on the right, and the sign-in orange in the square's corner.
void paintCornerMarks(QPainter& painter,
                      const MarkState& state,
                      const TrayLayout& place,
                      int pixels,
                      const TrayColors& colors)
{
    const int dot = dotSide(pixels);
    if (state.creditsExpiringSoon) {
        fillDot(painter,
                QRectF(std::min(place.glyph.right() - dot / 2, pixels - dot), 0, dot, dot),
                MarkColors::resetCreditAmber());
    }
    if (state.alertDot() && state.indicator() == MarkIndicator::cells) {
        fillDot(painter, QRectF(pixels - dot, place.cells.front().top() - dot, dot, dot), MarkColors::alertOrange());
    }
    if (const std::optional<PaceTier> tier = state.resetWarningTier()) {
        const double side = std::max(5, pixels * 2 / 5);
        paintFitted(painter,
                    {SymbolName::hourglass, 9, SymbolWeight::bold},
                    QRectF(0, 0, side * 0.7, side),
                    colors.lit(*tier));
    }
}

void paintCellsStyle(QPainter& painter, const MarkState& state, int pixels, const TrayColors& colors)
{
    const std::optional<SymbolImage> symbol = statusSymbol(state.indicator());
    const TrayLayout place = TrayLayout::forCells(pixels, symbol.has_value());
    paintGlyph(painter, state.provider, place.glyph, colors);
    if (symbol) {
        const QRect band = place.cells.front().united(place.cells.back());
        const QColor colour =
            state.indicator() == MarkIndicator::loginAlert ? MarkColors::alertOrange() : colors.primary;
        paintFitted(painter, *symbol, QRectF(0, band.top(), pixels, band.height()), colour);
    } else {
        paintCells(painter, place.cells, state, colors);
    }
    paintCornerMarks(painter, state, place, pixels, colors);
}

// The percentage as large as the box allows, "%" only where there is room for it.
void paintPercent(QPainter& painter, int percent, const QRect& box, const QColor& colour)
{
    const QString number = QString::number(percent);
    const QString text = box.width() >= 30 ? number + QLatin1Char('%') : number;
    QFont font = ProviderMark::percentFont();
    font.setWeight(QFont::Bold);
    QRectF ink;
    for (int size = box.height() * 3 / 2; size > 4; --size) {
        font.setPixelSize(size);
        ink = QFontMetricsF(font).tightBoundingRect(text);
        if (ink.width() <= box.width() && ink.height() <= box.height()) {
            break;
        }
    }
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(colour);
    const QPointF origin(box.left() + (box.width() - ink.width()) / 2 - ink.left(),
                         box.top() + (box.height() - ink.height()) / 2 - ink.top());
    painter.drawText(origin, text);
    painter.restore();
}

void paintBarsAndPercent(QPainter& painter, const MarkState& state, int pixels, const TrayColors& colors)
{
    const std::optional<int> percent = state.percentLeft();
    const std::optional<PaceTier> tier = state.cellTier();
    // Without a percentage, or signed out, the glyph and the gauge say more.
    if (!percent || !tier || state.indicator() != MarkIndicator::cells || state.alertDot()) {
        paintCellsStyle(painter, state, pixels, colors);
        return;
    }
    const TrayLayout place = TrayLayout::percent(pixels);
    paintPercent(painter,
                 *percent,
                 QRect(0, 0, pixels, place.glyph.top() - TrayLayout::gapFor(pixels)),
                 colors.lit(*tier));
    paintGlyph(painter, state.provider, place.glyph, colors);
    paintCells(painter, place.cells, state, colors);
    const int dot = dotSide(pixels);
    // Whole pixels: the dot sits on the glyph's corner, shifted by half its side rounded down.
    const int half = dot / 2;
    if (state.creditsExpiringSoon) {
        fillDot(painter,
                QRectF(place.glyph.right() - half, place.glyph.top() - half, dot, dot),
                MarkColors::resetCreditAmber());
    }
}

// The one dot a stacked row has room for, most urgent first.
std::optional<QColor> rowDot(const MarkState& state, const TrayColors& colors)
{
    if (state.alertDot() || state.indicator() == MarkIndicator::loginAlert) {
        return MarkColors::alertOrange();
    }
    if (const std::optional<PaceTier> tier = state.resetWarningTier()) {
        return colors.lit(*tier);
    }
    if (state.creditsExpiringSoon) {
        return MarkColors::resetCreditAmber();
    }
    return std::nullopt;
}

void paintStacked(QPainter& painter, std::span<const MarkState> marks, int pixels, const TrayColors& colors)
{
    const int rows = static_cast<int>(marks.size());
    for (int row = 0; row < rows; ++row) {
        const MarkState& state = marks[static_cast<std::size_t>(row)];
        const TrayLayout place = TrayLayout::stacked(pixels, row, rows);
        paintGlyph(painter, state.provider, place.glyph, colors);
        paintCells(painter, place.cells, state, colors);
        if (const std::optional<QColor> dot = rowDot(state, colors)) {
            const int side = std::max(3, place.glyph.height() / 2);
            const int overlap = side * 2 / 3;  // whole pixels
            fillDot(painter, QRectF(place.glyph.right() + 1 - overlap, place.glyph.top() - 1, side, side), *dot);
        }
    }
}

QImage blankSquare(int pixels)
{
    QImage image(std::max(pixels, 1), std::max(pixels, 1), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

int squareSide(const QSize& size)
{
    return std::max(0, std::min(size.width(), size.height()));
}

using Render = std::function<QImage(int pixels)>;

// Lays the mark out afresh at whatever size and pixel ratio the host asks for:
// tray slots come in sizes of the host's choosing (an XEmbed panel gives 22
// pixels across and its own height less two).
class MarkEngine final : public QIconEngine
{
public:
    explicit MarkEngine(Render render)
        : m_render(std::move(render))
    {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        const int side = squareSide(rect.size());
        if (side <= 0) {
            return;
        }
        const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        QImage image = m_render(static_cast<int>(std::lround(side * ratio)));
        image.setDevicePixelRatio(ratio);
        painter->drawImage(
            QRectF(rect.x() + (rect.width() - side) / 2.0, rect.y() + (rect.height() - side) / 2.0, side, side),
            image);
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
        if (side <= 0) {
            return {};
        }
        QPixmap pixmap = QPixmap::fromImage(m_render(side));
        pixmap.setDevicePixelRatio(scale > 0 ? scale : 1);
        return pixmap;
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override
    {
        QList<QSize> sizes;
        for (const int side : slotSizes) {
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
        return new MarkEngine(m_render);
    }

private:
    Render m_render;
};

}  // namespace

QImage image(std::span<const MarkState> marks, TrayStyle style, int pixels, const TrayColors& colors)
{
    QImage square = blankSquare(pixels);
    if (marks.empty()) {
        return square;
    }
    QPainter painter(&square);
    switch (style) {
    case TrayStyle::cells:
        paintCellsStyle(painter, marks.front(), pixels, colors);
        break;
    case TrayStyle::cellsAndPercent:
        paintBarsAndPercent(painter, marks.front(), pixels, colors);
        break;
    case TrayStyle::stacked:
        paintStacked(painter, marks, pixels, colors);
        break;
    }
    return square;
}

QImage emptyImage(int pixels, const TrayColors& colors)
{
    QImage square = blankSquare(pixels);
    QPainter painter(&square);
    const double margin = pixels / 16.0;
    paintFitted(painter,
                {SymbolName::gauge, 13, SymbolWeight::bold},
                QRectF(margin, margin, pixels - 2 * margin, pixels - 2 * margin),
                colors.primary);
    return square;
}

QPixmap pixmap(std::span<const MarkState> marks,
               TrayStyle style,
               int slotSize,
               qreal devicePixelRatio,
               const TrayColors& colors)
{
    QPixmap pixmap =
        QPixmap::fromImage(image(marks, style, static_cast<int>(std::lround(slotSize * devicePixelRatio)), colors));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QIcon icon(std::vector<MarkState> marks, TrayStyle style, const TrayColors& colors)
{
    return QIcon(new MarkEngine(
        [marks = std::move(marks), style, colors](int pixels) { return image(marks, style, pixels, colors); }));
}

QIcon emptyIcon(const TrayColors& colors)
{
    return QIcon(new MarkEngine([colors](int pixels) { return emptyImage(pixels, colors); }));
}

}  // namespace ostrel::TrayMark
