#include "panel/activity/ActivityChart.h"

#include <algorithm>
#include <cmath>

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "model/TokenFormat.h"

namespace ostrel {
namespace {

constexpr double cornerRadius = 2.5;
constexpr double labelPoints = 9;
constexpr double overlayPoints = 11;
constexpr double gridOpacity = 0.07;
constexpr double topInset = 6;  // room for the top tick's label, centred on its line
constexpr double axisGap = 3;
constexpr double emptySpan = 3600;

QFont labelFont()
{
    return Theme::font(labelPoints);
}

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

}  // namespace

ActivityChart::ActivityChart(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ActivityChart::setValue(Value value)
{
    m_value = std::move(value);
    const QFontMetricsF metrics(labelFont());
    m_ticks = ChartFigures::yTicks(ChartFigures::peak(m_value.bins, m_value.measure));
    m_axisWidth = 0;
    for (const std::int64_t tick : m_ticks) {
        m_axisWidth = std::max(m_axisWidth, metrics.horizontalAdvance(qText(TokenFormat::shortText(tick))));
    }
    m_axisWidth = std::ceil(m_axisWidth) + axisGap;
    m_marks.clear();
    if (m_value.calendar) {
        m_marks = ChartFigures::xMarks(dateFromSince1970(domainStart()),
                                       dateFromSince1970(domainEnd()),
                                       m_value.range,
                                       *m_value.calendar);
    }
    const QString span = m_value.range == ActivityRange::day ? QStringLiteral("24 hours") : QStringLiteral("7 days");
    setAccessibleName(QStringLiteral("Tokens over the last ") + span);
    relayer();
}

void ActivityChart::setSelection(std::optional<Date> selection)
{
    if (selection == m_selection) {
        return;
    }
    m_selection = selection;
    relayer();
    Q_EMIT selectionChanged();
}

std::optional<std::size_t> ActivityChart::selectedIndex() const
{
    return ChartFigures::selectedBin(m_value.bins, m_selection);
}

void ActivityChart::relayer()
{
    const std::optional<std::size_t> selected = selectedIndex();
    m_layers = ChartFigures::layers(m_value.bins, m_value.measure, selected);
    const std::int64_t peakValue = ChartFigures::peak(m_value.bins, m_value.measure);
    QString description;
    if (selected && m_value.calendar) {
        const TokenBin& bin = m_value.bins[*selected];
        description = ChartFigures::binLabel(bin.start, *m_value.calendar) + QStringLiteral(" · ")
                      + qText(TokenFormat::shortText(measuredTokens(bin.counts, m_value.measure)));
    } else if (!m_value.overlay.isEmpty()) {
        description = m_value.overlay;
    } else {
        description = QStringLiteral("peak ") + qText(TokenFormat::shortText(peakValue));
    }
    setAccessibleDescription(description);
    update();
}

double ActivityChart::domainStart() const
{
    if (m_value.bins.empty()) {
        return secondsSince1970(m_value.now) - emptySpan;
    }
    return secondsSince1970(m_value.bins.front().start);
}

double ActivityChart::domainEnd() const
{
    if (m_value.bins.empty()) {
        return secondsSince1970(m_value.now);
    }
    return secondsSince1970(m_value.bins.back().start) + m_value.bins.back().width;
}

QRectF ActivityChart::plotRect() const
{
    const double labelHeight = std::ceil(QFontMetricsF(labelFont()).height());
    return {0,
            topInset,
            std::max(0.0, width() - m_axisWidth),
            std::max(0.0, height() - topInset - axisGap - labelHeight)};
}

double ActivityChart::xOf(Date date) const
{
    const QRectF plot = plotRect();
    const double span = domainEnd() - domainStart();
    return plot.left() + plot.width() * (secondsSince1970(date) - domainStart()) / (span > 0 ? span : 1);
}

double ActivityChart::yOf(double tokens) const
{
    const QRectF plot = plotRect();
    const double top = m_ticks.size() > 1 ? static_cast<double>(m_ticks.back()) : 1;
    return plot.bottom() - plot.height() * tokens / top;
}

QRectF ActivityChart::layerRect(const Layer& layer) const
{
    return {QPointF(xOf(layer.start), yOf(static_cast<double>(layer.value))), QPointF(xOf(layer.end), yOf(0))};
}

Date ActivityChart::dateAt(double x) const
{
    const QRectF plot = plotRect();
    const double share = plot.width() > 0 ? (x - plot.left()) / plot.width() : 0;
    return dateFromSince1970(domainStart() + share * (domainEnd() - domainStart()));
}

QSize ActivityChart::sizeHint() const
{
    return {328, chartHeight};
}

QSize ActivityChart::minimumSizeHint() const
{
    return {82, chartHeight};
}

void ActivityChart::paintAxes(QPainter& painter, const QRectF& plot) const
{
    const Theme theme = Theme::fromPalette(palette());
    const QFontMetricsF metrics(labelFont());
    painter.setFont(labelFont());
    for (const std::int64_t tick : m_ticks) {
        const double y = std::round(yOf(static_cast<double>(tick))) + 0.5;
        painter.setPen(QPen(theme.primaryAt(gridOpacity), 1));
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(theme.secondary);
        const QRectF box(plot.right() + axisGap, y - metrics.height() / 2, m_axisWidth - axisGap, metrics.height());
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, qText(TokenFormat::shortText(tick)));
    }
    for (const Mark& mark : m_marks) {
        const double labelWidth = std::ceil(metrics.horizontalAdvance(mark.label));
        const double x = std::clamp(xOf(mark.at), plot.left(), std::max(plot.left(), plot.right() - labelWidth));
        painter.drawText(QRectF(x, plot.bottom() + axisGap, labelWidth, metrics.height()),
                         Qt::AlignLeft | Qt::AlignTop,
                         mark.label);
    }
}

void ActivityChart::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF plot = plotRect();
    paintAxes(painter, plot);

    const TokenPalette palette{m_value.provider};
    painter.setPen(Qt::NoPen);
    for (const Layer& layer : m_layers) {
        const QRectF rect = layerRect(layer);
        QPainterPath bar;
        const double radius = std::min({cornerRadius, rect.width() / 2, rect.height() / 2});
        bar.addRoundedRect(rect, radius, radius);
        painter.setOpacity(layer.dimmed ? dimmedOpacity : 1.0);
        painter.fillPath(bar, palette.barFill(layer.kind, rect));
    }
    painter.setOpacity(1.0);

    const Theme theme = Theme::fromPalette(this->palette());
    if (!m_value.overlay.isEmpty()) {
        painter.setFont(Theme::font(overlayPoints));
        painter.setPen(theme.secondary);
        painter.drawText(plot, Qt::AlignCenter, m_value.overlay);
    }
    // The ring says where the arrow keys act, not where the pointer last was.
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        painter.setPen(QPen(withOpacity(this->palette().color(QPalette::Highlight), 0.8), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(plot.adjusted(0.75, 0.75, -0.75, -0.75), 4, 4);
    }
}

void ActivityChart::mouseMoveEvent(QMouseEvent* event)
{
    setSelection(dateAt(event->position().x()));
    QWidget::mouseMoveEvent(event);
}

void ActivityChart::leaveEvent(QEvent* event)
{
    setSelection(std::nullopt);
    QWidget::leaveEvent(event);
}

void ActivityChart::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape && m_selection) {
        setSelection(std::nullopt);
        return;
    }
    if ((key != Qt::Key_Left && key != Qt::Key_Right) || m_value.bins.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const std::size_t last = m_value.bins.size() - 1;
    const std::optional<std::size_t> current = selectedIndex();
    std::size_t next = 0;
    if (!current) {
        // Left starts from the present, the more likely place of interest; Right from the oldest bin.
        next = key == Qt::Key_Left ? last : 0;
    } else if (key == Qt::Key_Left) {
        next = *current == 0 ? 0 : *current - 1;
    } else {
        next = std::min(last, *current + 1);
    }
    const TokenBin& bin = m_value.bins[next];
    setSelection(bin.start + Seconds(bin.width / 2));
}

void ActivityChart::focusOutEvent(QFocusEvent* event)
{
    // A selection made with the keys ends with the focus; the pointer's ends when it leaves.
    if (!underMouse()) {
        setSelection(std::nullopt);
    }
    QWidget::focusOutEvent(event);
}

}  // namespace ostrel
