#include "panel/card/StaleBanner.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "drawing/CardLabel.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "model/RelativeAge.h"

namespace ostrel {
namespace {

constexpr double iconPoints = 15;
constexpr double titlePoints = 11.5;
constexpr double subtitlePoints = 10.5;
constexpr int padding = 8;
constexpr double cornerRadius = 10;
constexpr double fillOpacity = 0.1;

QString agePart(const ProviderDisplay& display, Date now)
{
    if (!display.reading) {
        return {};
    }
    const std::string age = RelativeAge::text(display.reading->fetchedAt, now);
    return age == "now" ? QStringLiteral("Showing the last reading.")
                        : QStringLiteral("Showing the reading from ") + CardLabel::qText(age) + QStringLiteral(" ago.");
}

QString failurePart(const ProviderDisplay& display)
{
    if (!display.failure) {
        return {};
    }
    switch (display.failure->kind) {
    case FetchFailure::Kind::unreachable:
    case FetchFailure::Kind::unexpected:
        return CardLabel::qText(display.failure->text);
    case FetchFailure::Kind::notLoggedIn:
        return QStringLiteral("Run ") + CardLabel::qText(display.signInCommand()) + QStringLiteral(" in Terminal.");
    case FetchFailure::Kind::cliMissing:
        break;
    }
    return QStringLiteral("Install ") + CardLabel::qText(cliName(display.provider))
           + QStringLiteral(" or fix its path in Settings.");
}

}  // namespace

StaleBanner::StaleBanner(std::function<void()> retry, bool isSnapshot, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(padding, padding, padding, padding);
    row->setSpacing(8);
    m_icon = new QLabel(this);
    row->addWidget(m_icon, 0, Qt::AlignTop);
    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    m_title = CardLabel::make(titlePoints, QFont::DemiBold, true, this);
    m_subtitle = CardLabel::make(subtitlePoints, QFont::Normal, true, this);
    column->addWidget(m_title);
    column->addWidget(m_subtitle);
    row->addLayout(column, 1);
    if (!isSnapshot) {
        m_retry = new QPushButton(QStringLiteral("Retry"), this);
        m_retry->setFont(Theme::font(11));
        connect(m_retry, &QPushButton::clicked, this, [retry = std::move(retry)] { retry(); });
        row->addWidget(m_retry, 0, Qt::AlignVCenter);
    }
}

QString StaleBanner::titleFor(const ProviderDisplay& display)
{
    if (display.status == ProviderDisplay::Status::needsLogin) {
        return QStringLiteral("Signed out");
    }
    if (!display.failure) {
        return QStringLiteral("Stale reading");
    }
    return CardLabel::qText(labelOf(display.failure->kind));
}

QString StaleBanner::subtitleFor(const ProviderDisplay& display, Date now)
{
    QStringList parts;
    for (const QString& part : {agePart(display, now), failurePart(display)}) {
        if (!part.isEmpty()) {
            parts.append(part);
        }
    }
    return parts.join(QLatin1Char(' '));
}

void StaleBanner::set(const ProviderDisplay& display, Date now)
{
    const Theme theme = Theme::fromPalette(palette());
    m_signedOut = display.status == ProviderDisplay::Status::needsLogin;
    const Symbol symbol =
        m_signedOut ? Symbol::personCropCircleBadgeExclamationmark : Symbol::clockBadgeExclamationmark;
    m_icon->setPixmap(Symbols::pixmap(symbol, iconPoints, Theme::orange(), devicePixelRatioF()));
    m_icon->setAccessibleName(m_signedOut ? QStringLiteral("Signed out") : QStringLiteral("Stale reading"));
    m_title->setText(titleFor(display));
    CardLabel::setTextOrHide(m_subtitle, subtitleFor(display, now));
    CardLabel::setColor(m_title, theme.primary);
    CardLabel::setColor(m_subtitle, theme.secondary);
}

void StaleBanner::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor fill = Theme::orange();
    fill.setAlphaF(static_cast<float>(fillOpacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), cornerRadius, cornerRadius);
}

}  // namespace ostrel
