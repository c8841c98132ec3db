#include "drawing/ProviderMark.h"

#include <algorithm>
#include <utility>

#include <QFontMetricsF>
#include <QPainter>

#include "drawing/Dot.h"
#include "drawing/MarkColors.h"
#include "drawing/PaceCells.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/SymbolImage.h"

namespace ostrel {
namespace {

constexpr double creditDotSize = 5;
constexpr double alertDotSize = 4;

std::optional<SymbolImage> indicatorSymbol(MarkIndicator indicator)
{
    switch (indicator) {
    case MarkIndicator::infinity:
        return SymbolImage{SymbolName::infinity, 11, SymbolWeight::semibold};
    case MarkIndicator::renewedArrow:
        return SymbolImage{SymbolName::arrowClockwise, 10, SymbolWeight::semibold};
    case MarkIndicator::loginAlert:
        return SymbolImage{SymbolName::exclamationCircleFill, 11, SymbolWeight::regular};
    case MarkIndicator::cells:
        break;
    }
    return std::nullopt;
}

SymbolImage hourglassSymbol()
{
    return SymbolImage{SymbolName::hourglass, 9, SymbolWeight::bold};
}

}  // namespace

ProviderMark::ProviderMark(MarkState state, bool showPercent)
    : m_state(std::move(state))
    , m_showPercent(showPercent)
{}

QString ProviderMark::percentText() const
{
    const std::optional<int> percent = m_state.percentLeft();
    if (!m_showPercent || !percent || m_state.indicator() != MarkIndicator::cells) {
        return {};
    }
    return QString::number(*percent) + QLatin1Char('%');
}

QFont ProviderMark::percentFont()
{
    QFont font(QStringLiteral("Inter"));
    font.setPixelSize(11);
    font.setWeight(QFont::DemiBold);
    return font;
}

double ProviderMark::monospacedWidth(const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font);
    double digit = 0;
    for (char c = '0'; c <= '9'; ++c) {
        digit = std::max(digit, metrics.horizontalAdvance(QLatin1Char(c)));
    }
    double width = 0;
    for (const QChar c : text) {
        width += c.isDigit() ? digit : metrics.horizontalAdvance(c);
    }
    return width;
}

void ProviderMark::drawMonospaced(QPainter& painter, QPointF leftCentre, const QString& text, const QFont& font)
{
    const QFontMetricsF metrics(font);
    const double digit = monospacedWidth(QStringLiteral("0"), font);
    const double baseline = leftCentre.y() + (metrics.ascent() - metrics.descent()) / 2;
    painter.setFont(font);
    double x = leftCentre.x();
    for (const QChar c : text) {
        const double advance = metrics.horizontalAdvance(c);
        const double cell = c.isDigit() ? digit : advance;
        painter.drawText(QPointF(x + (cell - advance) / 2, baseline), QString(c));
        x += cell;
    }
}

double ProviderMark::indicatorWidth() const
{
    if (const std::optional<SymbolImage> symbol = indicatorSymbol(m_state.indicator())) {
        return symbol->size().width();
    }
    double width = cellsSize.width();
    if (const QString percent = percentText(); !percent.isEmpty()) {
        width += indicatorSpacing + monospacedWidth(percent, percentFont());
    }
    if (m_state.resetWarningTier()) {
        width += indicatorSpacing + hourglassSymbol().size().width();
    }
    return width;
}

QSizeF ProviderMark::size() const
{
    double height = std::max(glyphSize, cellsSize.height());
    if (const std::optional<SymbolImage> symbol = indicatorSymbol(m_state.indicator())) {
        height = std::max(height, symbol->size().height());
    } else if (!percentText().isEmpty()) {
        height = std::max(height, QFontMetricsF(percentFont()).height());
    }
    return {glyphSize + spacing + indicatorWidth(), height};
}

void ProviderMark::paintCellsRow(QPainter& painter, QPointF leftCentre, const LabelColors& colors) const
{
    const QRectF frame(leftCentre.x(), leftCentre.y() - cellsSize.height() / 2, cellsSize.width(), cellsSize.height());
    const PaceCells cells{m_state.filledCells(), m_state.cellTier(), 1.5, 1.5, false, m_state.isDimmed()};
    cells.paint(painter, frame, colors.primary);
    if (m_state.alertDot()) {
        fillDot(painter,
                QRectF(frame.right() - alertDotSize + 2, frame.top() - 2, alertDotSize, alertDotSize),
                MarkColors::alertOrange());
    }
    double x = frame.right();
    if (const QString percent = percentText(); !percent.isEmpty()) {
        x += indicatorSpacing;
        painter.save();
        painter.setPen(colors.primary);
        painter.setOpacity(painter.opacity() * (m_state.isDimmed() ? 0.55 : 1.0));
        drawMonospaced(painter, QPointF(x, leftCentre.y()), percent, percentFont());
        painter.restore();
        x += monospacedWidth(percent, percentFont());
    }
    if (const std::optional<PaceTier> tier = m_state.resetWarningTier()) {
        x += indicatorSpacing;
        const SymbolImage hourglass = hourglassSymbol();
        hourglass.paint(painter,
                        QPointF(x, leftCentre.y() - hourglass.size().height() / 2),
                        MarkColors::tierColor(*tier));
    }
}

void ProviderMark::paint(QPainter& painter, QPointF leftCentre, const LabelColors& colors) const
{
    const QPointF glyphTopLeft(leftCentre.x(), leftCentre.y() - glyphSize / 2);
    ProviderGlyph{m_state.provider, glyphSize, true}.paint(painter, glyphTopLeft, colors.primary);
    if (m_state.creditsExpiringSoon) {
        fillDot(painter,
                QRectF(glyphTopLeft.x() + glyphSize - creditDotSize + 2,
                       glyphTopLeft.y() - 1,
                       creditDotSize,
                       creditDotSize),
                MarkColors::resetCreditAmber());
    }
    const QPointF indicatorLeft(leftCentre.x() + glyphSize + spacing, leftCentre.y());
    const MarkIndicator indicator = m_state.indicator();
    if (const std::optional<SymbolImage> symbol = indicatorSymbol(indicator)) {
        const QColor colour = indicator == MarkIndicator::loginAlert ? MarkColors::alertOrange() : colors.secondary;
        symbol->paint(painter, QPointF(indicatorLeft.x(), indicatorLeft.y() - symbol->size().height() / 2), colour);
        return;
    }
    paintCellsRow(painter, indicatorLeft, colors);
}

}  // namespace ostrel
