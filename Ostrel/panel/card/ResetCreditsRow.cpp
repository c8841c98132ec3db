#include "panel/card/ResetCreditsRow.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include "drawing/CardLabel.h"
#include "drawing/MarkColors.h"
#include "drawing/Symbols.h"
#include "drawing/Theme.h"
#include "model/RenewalText.h"

namespace ostrel {
namespace {

constexpr double iconPoints = 14;
constexpr double headlinePoints = 12;
constexpr double lapsePoints = 10.5;
constexpr double cornerRadius = 7;
constexpr double urgentFillOpacity = 0.14;
constexpr double neutralFillOpacity = 0.04;
constexpr double edgeOpacity = 0.45;
constexpr double edgeWidth = 0.75;

QColor amberAt(double opacity)
{
    QColor colour = MarkColors::resetCreditAmber();
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

}  // namespace

ResetCreditsRow::ResetCreditsRow(QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(8);
    m_icon = new QLabel(this);
    row->addWidget(m_icon, 0, Qt::AlignVCenter);
    auto* column = new QVBoxLayout;
    column->setSpacing(1);
    m_headline = CardLabel::make(headlinePoints, QFont::Normal, true, this);
    m_lapse = CardLabel::make(lapsePoints, QFont::Normal, true, this);
    column->addWidget(m_headline);
    column->addWidget(m_lapse);
    row->addLayout(column, 1);
}

void ResetCreditsRow::set(const ResetCreditStatus& status, Date now, const std::optional<RenewalText>& renewal)
{
    const std::optional<std::string> headline = status.headline();
    setVisible(headline.has_value());
    if (!headline) {
        return;
    }
    const Theme theme = Theme::fromPalette(palette());
    m_urgent = !status.expiringSoon.empty();
    const Symbol symbol = m_urgent ? Symbol::exclamationmarkArrowCirclepath : Symbol::arrowCounterclockwiseCircle;
    m_icon->setPixmap(Symbols::pixmap(symbol,
                                      iconPoints,
                                      m_urgent ? MarkColors::resetCreditAmber() : theme.secondary,
                                      devicePixelRatioF()));
    m_icon->setAccessibleName(m_urgent ? QStringLiteral("Reset credits expiring soon")
                                       : QStringLiteral("Reset credits"));
    m_headline->setFont(Theme::font(headlinePoints, m_urgent ? QFont::DemiBold : QFont::Normal));
    m_headline->setText(CardLabel::qText(*headline));
    CardLabel::setColor(m_headline, theme.primary);

    QString lapse;
    const std::optional<Date> lapsesAt = m_urgent ? status.expiringSoon.front().expiresAt : std::nullopt;
    if (lapsesAt && renewal) {
        lapse = QStringLiteral("Verified reset credit · lapses ") + CardLabel::qText(renewal->when(*lapsesAt, now))
                + QStringLiteral(". Ostrel never uses it for you.");
    }
    CardLabel::setTextOrHide(m_lapse, lapse);
    CardLabel::setColor(m_lapse, theme.secondary);
    update();
}

void ResetCreditsRow::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Theme theme = Theme::fromPalette(palette());
    const double inset = m_urgent ? edgeWidth / 2 : 0;
    const QRectF box = QRectF(rect()).adjusted(inset, inset, -inset, -inset);
    painter.setBrush(m_urgent ? amberAt(urgentFillOpacity) : theme.primaryAt(neutralFillOpacity));
    painter.setPen(m_urgent ? QPen(amberAt(edgeOpacity), edgeWidth) : QPen(Qt::NoPen));
    painter.drawRoundedRect(box, cornerRadius, cornerRadius);
}

}  // namespace ostrel
