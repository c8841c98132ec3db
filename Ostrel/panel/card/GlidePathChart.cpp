#include "panel/card/GlidePathChart.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>
#include <unicode/dtfmtsym.h>
#include <unicode/locid.h>

#include "base/LocalCalendar.h"
#include "drawing/MarkColors.h"
#include "drawing/MonotoneCurve.h"
#include "drawing/Theme.h"

namespace ostrel {
namespace {

constexpr int preferredWidth = 356;
constexpr double sideInset = 3;  // room for half the dot at either end of the window
constexpr double topInset = 3;   // room for half the line at a full allowance
constexpr double axisGap = 2;
constexpr double labelPoints = 9;
constexpr double nowLabelGap = 3;
constexpr double paceLabelGap = 2;
constexpr double belowAbove = 0.8;  // more allowance left puts "now" under the dot
constexpr double paceAnchorShare = 0.86;
constexpr double lineWidth = 2;
constexpr double dashLength = 3;
constexpr double gridOpacity = 0.06;
constexpr double paceOpacity = 0.35;
constexpr double ruleOpacity = 0.18;
constexpr double areaTopOpacity = 0.32;
constexpr double areaBottomOpacity = 0.02;
// Beyond this many days the weekday letters would run into each other.
constexpr double longestMarkedSpan = 62 * 86400.0;
constexpr int dayLimit = 64;

const QString nowText = QStringLiteral("now");
const QString paceText = QStringLiteral("even pace");

double udate(Date date)
{
    return secondsSince1970(date) * 1000.0;
}

Date fromUdate(double milliseconds)
{
    return dateFromSince1970(milliseconds / 1000.0);
}

bool isFinite(Date date)
{
    return std::isfinite(secondsSince1970(date));
}

QString qString(const icu::UnicodeString& text)
{
    return QString::fromUtf16(text.getBuffer(), text.length());
}

double nowLeft(const Pace& pace)
{
    return std::clamp(pace.allowanceFraction * 100, 0.0, 100.0);
}

/// A label of `size` centred on `x`, kept inside `bounds`.
QRectF placed(QSizeF size, double x, double top, const QRectF& bounds)
{
    const double left =
        std::clamp(x - size.width() / 2, bounds.left(), std::max(bounds.left(), bounds.right() - size.width()));
    const double clampedTop = std::clamp(top, bounds.top(), std::max(bounds.top(), bounds.bottom() - size.height()));
    return {QPointF(left, clampedTop), size};
}

QSizeF textSize(const QFontMetricsF& metrics, const QString& text)
{
    return {std::ceil(metrics.horizontalAdvance(text)), std::ceil(metrics.height())};
}

/// A 1-pt line through `x`, moved to the nearest place where it covers whole device pixels.
double crisp(double x, double ratio)
{
    const double device = x * ratio;
    const bool odd = std::lround(ratio) % 2 == 1;
    return (odd ? std::floor(device) + 0.5 : std::round(device)) / ratio;
}

QFont labelFont()
{
    return Theme::font(labelPoints, QFont::DemiBold);
}

QColor withOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

}  // namespace

GlidePathChart::GlidePathChart(QWidget* parent)
    : GlidePathChart(Value{}, parent)
{}

GlidePathChart::GlidePathChart(Value value, QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(QStringLiteral("Allowance over the week compared with even pace"));
    setValue(std::move(value));
}

void GlidePathChart::setValue(Value value)
{
    m_value = std::move(value);
    m_days.clear();
    if (const std::optional<Domain> span = domain(m_value.window)) {
        if (m_value.calendar) {
            m_days = dayMarks(*span, *m_value.calendar);
        } else if (const std::unique_ptr<icu::Calendar> calendar = localCalendar()) {
            m_days = dayMarks(*span, RenewalText(*calendar, icu::Locale::getDefault()));
        }
    }
    setAccessibleDescription(description(m_value));
    update();
}

std::optional<GlidePathChart::Domain> GlidePathChart::domain(const UsageWindow& window)
{
    if (!window.resetsAt || !isFinite(*window.resetsAt) || !std::isfinite(window.duration) || !(window.duration > 0)) {
        return std::nullopt;
    }
    return Domain{*window.resetsAt - Seconds(window.duration), *window.resetsAt, window.duration};
}

std::vector<GlidePathChart::Observed> GlidePathChart::observed(const std::vector<AllowancePoint>& points,
                                                               const UsageWindow& window,
                                                               const Pace& pace,
                                                               Date now)
{
    const std::optional<Domain> span = domain(window);
    if (!span) {
        return {};
    }
    std::vector<Observed> series;
    series.reserve(points.size() + 2);
    series.push_back({span->start, 100});
    for (const AllowancePoint& point : points) {
        // A point that is no number has no place on either axis.
        if (isFinite(point.date) && std::isfinite(point.usedPercent)) {
            series.push_back({point.date, std::clamp(100 - point.usedPercent, 0.0, 100.0)});
        }
    }
    if (isFinite(now) && std::isfinite(pace.allowanceFraction)) {
        series.push_back({now, nowLeft(pace)});
    }
    std::ranges::stable_sort(series, {}, &Observed::date);
    return series;
}

std::vector<GlidePathChart::DayMark> GlidePathChart::dayMarks(const Domain& domain, const RenewalText& calendar)
{
    if (domain.duration > longestMarkedSpan) {
        return {};
    }
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols symbols(calendar.locale(), status);
    int32_t count = 0;
    const icu::UnicodeString* weekdays =
        symbols.getWeekdays(count, icu::DateFormatSymbols::STANDALONE, icu::DateFormatSymbols::NARROW);
    const std::unique_ptr<icu::Calendar> day(calendar.calendar().clone());
    if (status > U_ZERO_ERROR || weekdays == nullptr || day == nullptr) {
        return {};
    }
    const std::span names(weekdays, static_cast<std::size_t>(count));
    day->setTime(udate(domain.start), status);
    for (const UCalendarDateFields field : {UCAL_HOUR_OF_DAY, UCAL_MINUTE, UCAL_SECOND, UCAL_MILLISECOND}) {
        day->set(field, 0);
    }
    std::vector<DayMark> marks;
    for (int index = 0; index < dayLimit; ++index) {
        const double dayStart = day->getTime(status);
        const int32_t weekday = day->get(UCAL_DAY_OF_WEEK, status);
        day->add(UCAL_DATE, 1, status);
        const double nextStart = day->getTime(status);
        if (status > U_ZERO_ERROR || fromUdate(dayStart) > domain.end) {
            break;
        }
        // Days are 23 or 25 hours long at a clock change, so the middle is taken between midnights.
        const Date middle = fromUdate((dayStart + nextStart) / 2);
        if (middle >= domain.start && middle <= domain.end && weekday >= 0 && weekday < count) {
            marks.push_back({middle, qString(names[static_cast<std::size_t>(weekday)])});
        }
    }
    return marks;
}

std::optional<GlidePathChart::Layout> GlidePathChart::layout(const Value& value,
                                                             const std::vector<DayMark>& days,
                                                             QSizeF size,
                                                             const QFontMetricsF& labelMetrics)
{
    const std::optional<Domain> span = domain(value.window);
    if (!span || !isFinite(value.now) || !std::isfinite(value.pace.allowanceFraction)) {
        return std::nullopt;
    }
    const QRectF bounds(QPointF(0, 0), size);
    const double labelHeight = std::ceil(labelMetrics.height());
    Layout layout;
    layout.plot =
        QRectF(sideInset, topInset, size.width() - 2 * sideInset, size.height() - topInset - axisGap - labelHeight);
    if (!(layout.plot.width() > 0) || !(layout.plot.height() > 0)) {
        return std::nullopt;
    }
    const QRectF& plot = layout.plot;
    // Seconds since the window's start and percent left, to the widget's pixels.
    const QTransform toPlot(plot.width() / span->duration, 0, 0, -plot.height() / 100, plot.left(), plot.bottom());
    const auto at = [&](Date date, double left) {
        return toPlot.map(QPointF((date - span->start).count(), left));
    };

    layout.paceLine = QLineF(at(span->start, 100), at(span->end, 0));

    std::vector<CurvePoint> curvePoints;
    for (const Observed& point : observed(value.points, value.window, value.pace, value.now)) {
        curvePoints.push_back({(point.date - span->start).count(), point.left});
    }
    const MonotoneCurve curve(std::move(curvePoints));
    layout.line = curve.path(toPlot);
    if (layout.line.elementCount() == 0) {
        return std::nullopt;
    }
    layout.area = layout.line;
    layout.area.lineTo(layout.line.currentPosition().x(), plot.bottom());
    layout.area.lineTo(layout.line.elementAt(0).x, plot.bottom());
    layout.area.closeSubpath();

    layout.nowPoint = at(value.now, nowLeft(value.pace));
    layout.nowX = layout.nowPoint.x();
    const double radius = dotDiameter / 2;
    const QSizeF nowSize = textSize(labelMetrics, nowText);
    const double nowTop = value.pace.allowanceFraction > belowAbove
                              ? layout.nowPoint.y() + radius + nowLabelGap
                              : layout.nowPoint.y() - radius - nowLabelGap - nowSize.height();
    layout.nowLabel = placed(nowSize, layout.nowX, nowTop, bounds);

    // The anchor is a point of the usual size, only invisible: its label keeps the same distance.
    const QPointF anchor = at(span->start + Seconds(paceAnchorShare * span->duration), 100 * (1 - paceAnchorShare));
    const QSizeF paceSize = textSize(labelMetrics, paceText);
    layout.paceLabel = placed(paceSize, anchor.x(), anchor.y() - radius - paceLabelGap - paceSize.height(), bounds);

    for (const DayMark& day : days) {
        const double x = at(day.middle, 0).x();
        layout.dayX.push_back(x);
        layout.dayLabels.push_back(placed(textSize(labelMetrics, day.symbol), x, plot.bottom() + axisGap, bounds));
    }
    return layout;
}

std::optional<GlidePathChart::Layout> GlidePathChart::layout() const
{
    return layout(m_value, m_days, QSizeF(size()), QFontMetricsF(labelFont()));
}

QString GlidePathChart::description(const Value& value)
{
    const std::optional<Domain> span = domain(value.window);
    if (!span || !isFinite(value.now) || !std::isfinite(value.pace.allowanceFraction)) {
        return {};
    }
    const double paceFraction = (span->end - value.now).count() / span->duration;
    return QStringLiteral("%1% left now, even pace %2%")
        .arg(Pace::percent(value.pace.allowanceFraction))
        .arg(Pace::percent(paceFraction));
}

QSize GlidePathChart::sizeHint() const
{
    return {preferredWidth, chartHeight};
}

QSize GlidePathChart::minimumSizeHint() const
{
    return {preferredWidth / 4, chartHeight};
}

void GlidePathChart::paintEvent(QPaintEvent* /*event*/)
{
    const std::optional<Layout> placement = layout();
    if (!placement) {
        return;
    }
    const Layout& layout = *placement;
    const QRectF& plot = layout.plot;
    const Theme theme = Theme::fromPalette(palette());
    const QColor tier = MarkColors::tierColor(m_value.pace.tier);
    const QColor highlight = MarkColors::tierHighlight(m_value.pace.tier);

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // The engine's device is the picture being painted, also when the widget is rendered into an image.
    const QPaintDevice* target = painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : this;
    const double ratio = target != nullptr ? target->devicePixelRatioF() : devicePixelRatioF();

    painter.setPen(QPen(theme.primaryAt(gridOpacity), 1));
    for (const double x : layout.dayX) {
        const double lineX = crisp(x, ratio);
        painter.drawLine(QPointF(lineX, plot.top()), QPointF(lineX, plot.bottom()));
    }

    QPen pace(theme.primaryAt(paceOpacity), 1, Qt::CustomDashLine, Qt::FlatCap);
    pace.setDashPattern({dashLength, dashLength});
    painter.setPen(pace);
    painter.drawLine(layout.paceLine);

    QLinearGradient fill(plot.topLeft(), plot.bottomLeft());
    fill.setColorAt(0, withOpacity(tier, areaTopOpacity));
    fill.setColorAt(1, withOpacity(tier, areaBottomOpacity));
    painter.fillPath(layout.area, fill);

    QLinearGradient stroke(plot.topLeft(), plot.bottomLeft());
    stroke.setColorAt(0, highlight);
    stroke.setColorAt(1, tier);
    painter.strokePath(layout.line, QPen(QBrush(stroke), lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));

    const double ruleX = crisp(layout.nowX, ratio);
    painter.setPen(QPen(theme.primaryAt(ruleOpacity), 1));
    painter.drawLine(QPointF(ruleX, plot.top()), QPointF(ruleX, plot.bottom()));

    painter.setPen(Qt::NoPen);
    painter.setBrush(tier);
    painter.drawEllipse(layout.nowPoint, dotDiameter / 2, dotDiameter / 2);

    painter.setFont(labelFont());
    painter.setPen(tier);
    painter.drawText(layout.nowLabel, Qt::AlignCenter, nowText);
    painter.setPen(theme.secondary);
    painter.drawText(layout.paceLabel, Qt::AlignCenter, paceText);

    painter.setFont(Theme::font(labelPoints));
    for (std::size_t index = 0; index < m_days.size() && index < layout.dayLabels.size(); ++index) {
        painter.drawText(layout.dayLabels[index], Qt::AlignCenter, m_days[index].symbol);
    }
}

}  // namespace ostrel
