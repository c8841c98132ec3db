#include "panel/activity/ActivityChart.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <unicode/dtfmtsym.h>

#include "base/QtText.h"
#include "drawing/Theme.h"
#include "model/TokenFormat.h"

namespace ostrel {
namespace {

constexpr double dayBinSeconds = 3600;
constexpr int dayBins = 24;
constexpr double weekBinSeconds = 21600;
constexpr int weekBins = 28;
constexpr double barInset = 0.12;  // each bar leaves this share of its bin free on either side
constexpr double cornerRadius = 2.5;
constexpr double labelPoints = 9;
constexpr double overlayPoints = 11;
constexpr double gridOpacity = 0.07;
constexpr double topInset = 6;  // room for the top tick's label, centred on its line
constexpr double axisGap = 3;
constexpr double emptySpan = 3600;
constexpr int tickSteps = 3;
constexpr int hourMarkStride = 6;
constexpr int markLimit = 32;

double udate(Date date)
{
    return secondsSince1970(date) * 1000.0;
}

QString qString(const icu::UnicodeString& text)
{
    return QString::fromUtf16(text.getBuffer(), text.length());
}

/// The weekday name of `date` in the calendar's zone, narrow ("T") or abbreviated ("Tue").
QString weekdayName(Date date, const RenewalText& calendar, icu::DateFormatSymbols::DtWidthType width)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(calendar.locale(), status);
    const std::unique_ptr<icu::Calendar> local(calendar.calendar().clone());
    if (status > U_ZERO_ERROR || local == nullptr) {
        return {};
    }
    local->setTime(udate(date), status);
    const int32_t weekday = local->get(UCAL_DAY_OF_WEEK, status);
    int32_t count = 0;
    const icu::UnicodeString* names = symbols.getWeekdays(count, icu::DateFormatSymbols::STANDALONE, width);
    if (status > U_ZERO_ERROR || names == nullptr || weekday < 0 || weekday >= count) {
        return {};
    }
    return qString(names[weekday]);  // NOLINT(cppcoreguidelines-pro-bounds-pointer-arithmetic): ICU hands out a C array
}

/// A round step near `raw`: 1, 2 or 5 times a power of ten, never under one token.
std::int64_t roundStep(double raw)
{
    if (!(raw > 1)) {
        return 1;
    }
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double share = raw / magnitude;
    const double nice = share <= 1 ? 1 : share <= 2 ? 2 : share <= 5 ? 5 : 10;
    return static_cast<std::int64_t>(std::llround(nice * magnitude));
}

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

std::int64_t measuredTokens(const TokenCounts& counts, ActivityMeasure measure)
{
    return measure == ActivityMeasure::all ? counts.total() : counts.fresh();
}

double rangeSpan(ActivityRange range)
{
    return range == ActivityRange::day ? 86400 : 604800;
}

std::vector<TokenBin>
ActivityChart::bins(const std::optional<ProviderActivity>& activity, ActivityRange range, Date now)
{
    if (!activity) {
        return {};
    }
    return range == ActivityRange::day ? activity->tokens.bins(dayBins, dayBinSeconds, now)
                                       : activity->tokens.bins(weekBins, weekBinSeconds, now);
}

std::optional<std::size_t> ActivityChart::selectedBin(const std::vector<TokenBin>& bins, std::optional<Date> selection)
{
    if (!selection) {
        return std::nullopt;
    }
    for (std::size_t index = 0; index < bins.size(); ++index) {
        const TokenBin& bin = bins[index];
        if (bin.start <= *selection && *selection < bin.start + Seconds(bin.width)) {
            return index;
        }
    }
    return std::nullopt;
}

std::vector<ActivityChart::Layer>
ActivityChart::layers(const std::vector<TokenBin>& bins, ActivityMeasure measure, std::optional<std::size_t> selected)
{
    std::vector<Layer> layers;
    layers.reserve(bins.size() * 3);
    for (std::size_t index = 0; index < bins.size(); ++index) {
        const TokenBin& bin = bins[index];
        const Date start = bin.start + Seconds(barInset * bin.width);
        const Date end = bin.start + Seconds((1 - barInset) * bin.width);
        const bool dimmed = selected.has_value() && *selected != index;
        const TokenCounts& counts = bin.counts;
        const auto add = [&](std::int64_t value, TokenKind kind) {
            if (value >= 1) {
                layers.push_back({start, end, value, kind, dimmed});
            }
        };
        if (measure == ActivityMeasure::all) {
            add(counts.total(), TokenKind::cached);
        }
        add(counts.fresh(), TokenKind::input);
        add(counts.output, TokenKind::output);
    }
    return layers;
}

std::int64_t ActivityChart::peak(const std::vector<TokenBin>& bins, ActivityMeasure measure)
{
    std::int64_t largest = 0;
    for (const TokenBin& bin : bins) {
        largest = std::max(largest, measuredTokens(bin.counts, measure));
    }
    return largest;
}

std::vector<std::int64_t> ActivityChart::yTicks(std::int64_t peak)
{
    if (peak <= 0) {
        return {0};
    }
    const std::int64_t step = roundStep(static_cast<double>(peak) / tickSteps);
    std::vector<std::int64_t> ticks{0};
    while (ticks.back() < peak) {
        ticks.push_back(ticks.back() + step);
    }
    return ticks;
}

std::vector<ActivityChart::Mark>
ActivityChart::xMarks(Date start, Date end, ActivityRange range, const RenewalText& calendar)
{
    const std::unique_ptr<icu::Calendar> local(calendar.calendar().clone());
    if (local == nullptr) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    local->setTime(udate(start), status);
    for (const UCalendarDateFields field : {UCAL_MINUTE, UCAL_SECOND, UCAL_MILLISECOND}) {
        local->set(field, 0);
    }
    if (range == ActivityRange::week) {
        local->set(UCAL_HOUR_OF_DAY, 0);
    }
    std::vector<Mark> marks;
    for (int step = 0; step < markLimit * hourMarkStride && status <= U_ZERO_ERROR; ++step) {
        const Date at = dateFromSince1970(local->getTime(status) / 1000.0);
        const int32_t hour = local->get(UCAL_HOUR_OF_DAY, status);
        if (at > end || status > U_ZERO_ERROR) {
            break;
        }
        if (at >= start && range == ActivityRange::week) {
            marks.push_back({at, weekdayName(at, calendar, icu::DateFormatSymbols::NARROW)});
        } else if (at >= start && hour % hourMarkStride == 0) {
            marks.push_back({at, qText(calendar.clock(at))});
        }
        // A day is added by the calendar, so a 23- or 25-hour day still ends at midnight.
        local->add(range == ActivityRange::week ? UCAL_DATE : UCAL_HOUR_OF_DAY, 1, status);
    }
    return marks;
}

QString ActivityChart::binLabel(Date start, const RenewalText& calendar)
{
    return weekdayName(start, calendar, icu::DateFormatSymbols::ABBREVIATED) + QLatin1Char(' ')
           + qText(calendar.clock(start));
}

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
    m_ticks = yTicks(peak(m_value.bins, m_value.measure));
    m_axisWidth = 0;
    for (const std::int64_t tick : m_ticks) {
        m_axisWidth = std::max(m_axisWidth, metrics.horizontalAdvance(qText(TokenFormat::shortText(tick))));
    }
    m_axisWidth = std::ceil(m_axisWidth) + axisGap;
    m_marks.clear();
    if (m_value.calendar) {
        m_marks =
            xMarks(dateFromSince1970(domainStart()), dateFromSince1970(domainEnd()), m_value.range, *m_value.calendar);
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
    return selectedBin(m_value.bins, m_selection);
}

void ActivityChart::relayer()
{
    const std::optional<std::size_t> selected = selectedIndex();
    m_layers = layers(m_value.bins, m_value.measure, selected);
    const std::int64_t peakValue = peak(m_value.bins, m_value.measure);
    QString description;
    if (selected && m_value.calendar) {
        const TokenBin& bin = m_value.bins[*selected];
        description = binLabel(bin.start, *m_value.calendar) + QStringLiteral(" · ")
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
