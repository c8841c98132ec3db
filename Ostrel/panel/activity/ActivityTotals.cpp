#include "panel/activity/ActivityTotals.h"

#include <cmath>

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "model/TokenFormat.h"
#include "panel/activity/ChartFigures.h"

namespace ostrel {
namespace {

constexpr double labelPoints = 10;
constexpr double valuePoints = 13;
constexpr double verticalPadding = 6;
constexpr double lineGap = 2;
constexpr double cornerRadius = 9;
constexpr double fillOpacity = 0.04;

QFont labelFont()
{
    return Theme::font(labelPoints, QFont::Medium);
}

QFont valueFont()
{
    return Theme::font(valuePoints, QFont::DemiBold);
}

}  // namespace

QString ActivityTotals::Cell::valueText() const
{
    return value ? qText(TokenFormat::shortText(*value)) : QStringLiteral("\u2013");
}

std::vector<ActivityTotals::Cell>
ActivityTotals::cells(const std::optional<ProviderActivity>& activity, ActivityMeasure measure, Date now)
{
    std::vector<Cell> cells;
    for (const auto& [label, seconds] : ProviderActivity::windows) {
        Cell cell{qText(label), std::nullopt};
        if (activity) {
            cell.value = measuredTokens(activity->tokens.total(seconds, now), measure);
        }
        cells.push_back(std::move(cell));
    }
    return cells;
}

ActivityTotals::ActivityTotals(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Totals"));
}

void ActivityTotals::setCells(std::vector<Cell> cells)
{
    if (cells == m_cells) {
        return;
    }
    m_cells = std::move(cells);
    QStringList parts;
    for (const Cell& cell : m_cells) {
        parts.append(cell.label + QLatin1Char(' ') + cell.valueText());
    }
    setAccessibleDescription(parts.join(QStringLiteral(", ")));
    update();
}

QSize ActivityTotals::sizeHint() const
{
    const double height =
        2 * verticalPadding + QFontMetricsF(labelFont()).height() + lineGap + QFontMetricsF(valueFont()).height();
    return {328, static_cast<int>(std::ceil(height))};
}

QSize ActivityTotals::minimumSizeHint() const
{
    return {0, sizeHint().height()};
}

void ActivityTotals::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const Theme theme = Theme::fromPalette(palette());
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
    painter.fillPath(shape, theme.primaryAt(fillOpacity));
    if (m_cells.empty()) {
        return;
    }
    const double labelHeight = QFontMetricsF(labelFont()).height();
    const double valueHeight = QFontMetricsF(valueFont()).height();
    const double cellWidth = width() / static_cast<double>(m_cells.size());
    for (std::size_t index = 0; index < m_cells.size(); ++index) {
        const double left = cellWidth * static_cast<double>(index);
        painter.setFont(labelFont());
        painter.setPen(theme.secondary);
        painter.drawText(QRectF(left, verticalPadding, cellWidth, labelHeight), Qt::AlignCenter, m_cells[index].label);
        painter.setFont(valueFont());
        painter.setPen(theme.primary);
        painter.drawText(QRectF(left, verticalPadding + labelHeight + lineGap, cellWidth, valueHeight),
                         Qt::AlignCenter,
                         m_cells[index].valueText());
    }
}

}  // namespace ostrel
