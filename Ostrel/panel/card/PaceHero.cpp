#include "panel/card/PaceHero.h"

#include <algorithm>
#include <cmath>

#include <QFontMetricsF>
#include <QPainter>

#include "drawing/CardLabel.h"
#include "drawing/MarkColors.h"
#include "drawing/Motion.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "model/RenewalText.h"

namespace ostrel {
namespace {

constexpr double figurePoints = 44;
constexpr double percentPoints = 22;
constexpr double leftPoints = 13;
constexpr double figureGap = 1;
constexpr double leftInset = 5;
constexpr double hourglassPoints = 16;
constexpr double hourglassGap = 5;
constexpr double timePoints = 26;
constexpr double renewsPoints = 11;
constexpr double timeGap = 1;
constexpr int countMilliseconds = 450;
constexpr int pulseMilliseconds = 1200;
constexpr double pulseLowest = 0.35;

QFont figureFont()
{
    return Theme::font(figurePoints, QFont::Bold);
}

QFont timeFont()
{
    return Theme::font(timePoints, QFont::DemiBold);
}

QFont renewsFont()
{
    return Theme::font(renewsPoints);
}

double timeBlockHeight(bool withRenews)
{
    const double time = QFontMetricsF(timeFont()).height();
    return withRenews ? time + timeGap + QFontMetricsF(renewsFont()).height() : time;
}

}  // namespace

PaceHero::PaceHero(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_count.setDuration(countMilliseconds);
    m_count.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_count, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_shown = value.toDouble();
        update();
    });
    m_pulse.setDuration(pulseMilliseconds);
    m_pulse.setStartValue(1.0);
    m_pulse.setKeyValueAt(0.5, pulseLowest);
    m_pulse.setEndValue(1.0);
    m_pulse.setLoopCount(-1);
    connect(&m_pulse, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hourglassOpacity = value.toDouble();
        // Only the hourglass: the card behind the hero repaints what is asked, and its gauge glow is costly.
        update(hourglassBox().toAlignedRect());
    });
}

void PaceHero::set(const Pace& pace,
                   std::optional<Date> resetsAt,
                   Date now,
                   const std::optional<RenewalText>& renewal,
                   bool animate)
{
    m_animate = animate;
    m_tier = pace.tier;
    m_warning = pace.resetWarning;
    m_time = CardLabel::qText(pace.timeText());
    const QString renews =
        resetsAt && renewal ? QStringLiteral("renews ") + CardLabel::qText(renewal->when(*resetsAt, now)) : QString();
    if (renews.isEmpty() != m_renews.isEmpty()) {
        updateGeometry();
    }
    m_renews = renews;

    const int percent = pace.percentLeft();
    const bool counts = animate && m_hasFigures && isVisible() && !Motion::reduced() && percent != m_percent;
    m_count.stop();
    if (counts) {
        m_count.setStartValue(m_shown);
        m_count.setEndValue(static_cast<double>(percent));
        m_count.start();
    } else {
        m_shown = percent;
    }
    m_percent = percent;
    m_hasFigures = true;
    updatePulse(isVisible());
    setAccessibleName(QStringLiteral("%1% left, %2").arg(m_percent).arg(m_time)
                      + (m_renews.isEmpty() ? QString() : QStringLiteral(", ") + m_renews));
    update();
}

int PaceHero::shownPercent() const
{
    return static_cast<int>(std::lround(m_shown));
}

QSize PaceHero::sizeHint() const
{
    const double figure = QFontMetricsF(figureFont()).height();
    const double height = std::max(figure, timeBlockHeight(!m_renews.isEmpty()));
    return {320, static_cast<int>(std::ceil(height))};
}

void PaceHero::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const double centreY = height() / 2.0;
    paintFigure(painter, centreY);
    paintTime(painter, centreY);
}

void PaceHero::paintFigure(QPainter& painter, double centreY) const
{
    const Theme theme = Theme::fromPalette(palette());
    const QFontMetricsF figure(figureFont());
    const double baseline = centreY - figure.height() / 2 + figure.ascent();
    const QString number = QString::number(shownPercent());
    painter.setFont(figureFont());
    painter.setPen(theme.primary);
    painter.drawText(QPointF(0, baseline), number);
    double x = figure.horizontalAdvance(number) + figureGap;

    painter.setFont(Theme::font(percentPoints, QFont::DemiBold));
    painter.setPen(theme.secondary);
    painter.drawText(QPointF(x, baseline), QStringLiteral("%"));
    x += QFontMetricsF(painter.font()).horizontalAdvance(QStringLiteral("%")) + figureGap + leftInset;

    painter.setFont(Theme::font(leftPoints, QFont::Medium));
    painter.drawText(QPointF(x, baseline), QStringLiteral("left"));
}

QRectF PaceHero::hourglassBox() const
{
    const QFontMetricsF time(timeFont());
    const double top = height() / 2.0 - timeBlockHeight(!m_renews.isEmpty()) / 2;
    const double timeWidth = time.horizontalAdvance(m_time);
    return {width() - timeWidth - hourglassGap - hourglassPoints,
            top + (time.height() - hourglassPoints) / 2,
            hourglassPoints,
            hourglassPoints};
}

void PaceHero::paintTime(QPainter& painter, double centreY) const
{
    const Theme theme = Theme::fromPalette(palette());
    const QFontMetricsF time(timeFont());
    const double top = centreY - timeBlockHeight(!m_renews.isEmpty()) / 2;
    const double right = width();
    const double timeWidth = time.horizontalAdvance(m_time);
    painter.setFont(timeFont());
    painter.setPen(theme.primary);
    painter.drawText(QPointF(right - timeWidth, top + time.ascent()), m_time);

    if (m_warning) {
        painter.save();
        painter.setOpacity(m_hourglassOpacity);
        Symbols::paint(painter, Symbol::hourglass, hourglassBox(), MarkColors::tierColor(m_tier));
        painter.restore();
    }
    if (!m_renews.isEmpty()) {
        const QFontMetricsF renews(renewsFont());
        painter.setFont(renewsFont());
        painter.setPen(theme.secondary);
        const double y = top + time.height() + timeGap + renews.ascent();
        painter.drawText(QPointF(right - renews.horizontalAdvance(m_renews), y), m_renews);
    }
}

void PaceHero::updatePulse(bool shown)
{
    const bool pulses = m_warning && m_animate && shown && !Motion::reduced();
    if (pulses && !isPulsing()) {
        m_pulse.start();
    } else if (!pulses) {
        // At rest (and in every picture) the hourglass is drawn whole.
        m_pulse.stop();
        m_hourglassOpacity = 1;
    }
}

void PaceHero::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    updatePulse(true);
}

void PaceHero::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (isCounting()) {
        m_count.stop();
        m_shown = m_percent;
    }
    updatePulse(false);
}

}  // namespace ostrel
