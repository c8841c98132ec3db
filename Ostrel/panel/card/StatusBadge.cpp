#include "panel/card/StatusBadge.h"

#include <QPainter>

#include "drawing/CardLabel.h"
#include "drawing/Dot.h"
#include "drawing/MarkColors.h"
#include "drawing/Motion.h"
#include "drawing/Theme.h"
#include "model/RelativeAge.h"

namespace ostrel {
namespace {

constexpr double textPoints = 11;
constexpr double gap = 5;
constexpr double spinnerSize = 10;
constexpr double spinnerWidth = 1.6;

using Status = ProviderDisplay::Status;

/// "just now", or the compact age and " ago"; empty without a reading.
QString ageText(const ProviderDisplay& display, Date now)
{
    if (!display.reading) {
        return {};
    }
    const std::string age = RelativeAge::text(display.reading->fetchedAt, now);
    return age == "now" ? QStringLiteral("just now") : CardLabel::qText(age) + QStringLiteral(" ago");
}

QString staleText(const ProviderDisplay& display, Date now)
{
    if (!display.failure) {
        return QStringLiteral("Stale · ") + ageText(display, now);
    }
    switch (display.failure->kind) {
    case FetchFailure::Kind::unreachable:
        return QStringLiteral("Offline");
    case FetchFailure::Kind::unexpected:
        return QStringLiteral("Error");
    case FetchFailure::Kind::cliMissing:
        return QStringLiteral("No CLI");
    case FetchFailure::Kind::notLoggedIn:
        break;
    }
    return QStringLiteral("Signed out");
}

}  // namespace

StatusBadge::StatusBadge(bool still, QWidget* parent)
    : QWidget(parent)
    , m_still(still)
{
    setFont(Theme::font(textPoints, QFont::Medium));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString StatusBadge::textFor(const ProviderDisplay& display, bool refreshing, Date now)
{
    if (refreshing) {
        return QStringLiteral("Reading…");
    }
    switch (display.status) {
    case Status::loading:
        return QStringLiteral("Reading…");
    case Status::live:
        return ageText(display, now);
    case Status::stale:
        return staleText(display, now);
    case Status::renewed:
        return QStringLiteral("Renewed");
    case Status::enterprise:
        return QStringLiteral("Enterprise");
    case Status::apiBilling:
        return QStringLiteral("API billing");
    case Status::needsLogin:
        return QStringLiteral("Signed out");
    case Status::cliMissing:
        return QStringLiteral("No CLI");
    case Status::unavailable:
        break;
    }
    return QStringLiteral("Unavailable");
}

QColor StatusBadge::dotColor(Status status, const Theme& theme)
{
    switch (status) {
    case Status::live:
        return Theme::green();
    case Status::stale:
    case Status::renewed:
        return MarkColors::tierColor(PaceTier::yellow);
    case Status::needsLogin:
    case Status::cliMissing:
        return Theme::orange();
    case Status::unavailable:
        return Theme::red();
    case Status::loading:
    case Status::enterprise:
    case Status::apiBilling:
        break;
    }
    return theme.secondary;
}

void StatusBadge::set(const ProviderDisplay& display, bool refreshing, Date now)
{
    const QString text = textFor(display, refreshing, now);
    if (text == m_text && refreshing == m_refreshing && display.status == m_status) {
        return;
    }
    const bool resized = text != m_text || refreshing != m_refreshing;
    m_status = display.status;
    m_refreshing = refreshing;
    m_text = text;
    setAccessibleName(text);
    updateTurning();
    if (resized) {
        updateGeometry();
    }
    update();
}

QRectF StatusBadge::indicatorRect() const
{
    const double side = m_refreshing ? spinnerSize : dotSize;
    return {(spinnerSize - side) / 2, (height() - side) / 2, side, side};
}

QSize StatusBadge::sizeHint() const
{
    const int textWidth = m_text.isEmpty() ? 0 : fontMetrics().horizontalAdvance(m_text) + static_cast<int>(gap);
    return {static_cast<int>(spinnerSize) + textWidth, fontMetrics().height()};
}

void StatusBadge::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme theme = Theme::fromPalette(palette());
    const QRectF indicator = indicatorRect();
    if (m_refreshing) {
        // Three quarters of a ring, turned; at rest it points up.
        painter.save();
        painter.translate(indicator.center());
        painter.rotate(m_turn.angle());
        const double radius = (spinnerSize - spinnerWidth) / 2;
        painter.setPen(QPen(theme.secondary, spinnerWidth, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(-radius, -radius, 2 * radius, 2 * radius), 90 * 16, -270 * 16);
        painter.restore();
    } else {
        fillDot(painter, indicator, dotColor(m_status, theme));
    }
    painter.setPen(theme.secondary);
    const QRectF textBox(spinnerSize + gap, 0, width() - spinnerSize - gap, height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter, m_text);
}

void StatusBadge::updateTurning()
{
    m_turn.setWanted(m_refreshing && !m_still && !Motion::reduced());
}

}  // namespace ostrel
