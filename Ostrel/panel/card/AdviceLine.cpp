#include "panel/card/AdviceLine.h"

#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>

#include "drawing/CardLabel.h"
#include "drawing/MarkColors.h"
#include "drawing/PaintLayer.h"
#include "drawing/Theme.h"
#include "model/RenewalText.h"

namespace ostrel {
namespace {

constexpr double textPoints = 12;
constexpr double dotGap = 6;
constexpr double glowOpacity = 0.6;
constexpr double glowRadius = 3;

std::string blueAdvice(const Pace& pace, const std::optional<std::string>& renewal)
{
    if (!pace.resetWarning) {
        return "Well ahead of pace.";
    }
    if (pace.timeRemaining && renewal) {
        return "Surplus left \u2014 use it in the next " + RenewalText::duration(*pace.timeRemaining)
               + ", before it renews " + *renewal + ".";
    }
    return "Surplus left \u2014 use it before renewal.";
}

}  // namespace

std::string advice(const Pace& pace, std::optional<Date> resetsAt, Date now, const std::optional<RenewalText>& renewal)
{
    std::optional<std::string> when;
    if (resetsAt && renewal) {
        when = renewal->when(*resetsAt, now);
    }
    switch (pace.tier) {
    case PaceTier::red:
        return when ? "Running short \u2014 renews " + *when + "." : "Running short before renewal.";
    case PaceTier::yellow:
        return "Ease off a little to make it to renewal.";
    case PaceTier::green:
        return "Roughly on pace for the week.";
    case PaceTier::blue:
        break;
    }
    return blueAdvice(pace, when);
}

AdviceLine::AdviceLine(QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(static_cast<int>(dotSize + dotGap), 0, 0, 0);
    row->setSpacing(0);
    m_text = CardLabel::make(textPoints, QFont::Normal, true, this);
    m_text->setTextFormat(Qt::RichText);
    row->addWidget(m_text, 1);
}

void AdviceLine::set(const Pace& pace,
                     std::optional<Date> resetsAt,
                     Date now,
                     const std::optional<RenewalText>& renewal)
{
    const Theme theme = Theme::fromPalette(palette());
    const QString title = CardLabel::qText(headline(pace.tier));
    const QString said = CardLabel::qText(advice(pace, resetsAt, now, renewal));
    m_tier = pace.tier;
    m_text->setAccessibleName(title + QStringLiteral("  ") + said);
    // The two spaces after the headline are kept as a non-breaking and a plain one.
    m_text->setText(QStringLiteral("<span style=\"font-weight:600; color:%1\">%2</span>&nbsp; "
                                   "<span style=\"color:%3\">%4</span>")
                        .arg(theme.primary.name(QColor::HexArgb),
                             title.toHtmlEscaped(),
                             theme.secondary.name(QColor::HexArgb),
                             said.toHtmlEscaped()));
    update();
}

QRectF AdviceLine::dotRect() const
{
    // Centred on the first line's lower-case letters, so it sits on the text's baseline.
    const QFontMetricsF metrics(m_text->font());
    const double centre = m_text->y() + m_text->contentsMargins().top() + metrics.ascent() - metrics.xHeight() / 2;
    return {0, centre - dotSize / 2, dotSize, dotSize};
}

void AdviceLine::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF dot = dotRect();
    QColor glow = MarkColors::tierColor(m_tier);
    glow.setAlphaF(static_cast<float>(glowOpacity));
    PaintLayer::paint(
        painter,
        dot.adjusted(-2 * glowRadius, -2 * glowRadius, 2 * glowRadius, 2 * glowRadius),
        1.0,
        [&](QPainter& layer) {
            layer.setPen(Qt::NoPen);
            layer.setBrush(glow);
            layer.drawEllipse(dot);
        },
        glowRadius);
    QLinearGradient fill(dot.topLeft(), dot.bottomLeft());
    fill.setColorAt(0, MarkColors::tierHighlight(m_tier));
    fill.setColorAt(1, MarkColors::tierColor(m_tier));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(dot);
}

}  // namespace ostrel
