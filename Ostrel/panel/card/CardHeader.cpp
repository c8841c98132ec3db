#include "panel/card/CardHeader.h"

#include <cmath>

#include <QHBoxLayout>
#include <QPainter>

#include "drawing/CardLabel.h"
#include "drawing/GlyphView.h"
#include "drawing/MarkColors.h"
#include "drawing/ProviderGlyph.h"
#include "drawing/Theme.h"
#include "panel/card/StatusBadge.h"

namespace ostrel {
namespace {

constexpr double glyphPoints = 18;
constexpr double namePoints = 14;
constexpr double planPoints = 9.5;
constexpr double planTracking = 0.6;
constexpr double planPaddingX = 6;
constexpr double planPaddingY = 2.5;
constexpr double planFillOpacity = 0.16;

/// The plan in capitals on a capsule of the provider's accent.
class PlanBadge : public QWidget
{
public:
    PlanBadge(Provider provider, QWidget* parent)
        : QWidget(parent)
        , m_accent(MarkColors::accent(provider))
    {
        QFont font = Theme::font(planPoints, QFont::Bold);
        font.setLetterSpacing(QFont::AbsoluteSpacing, planTracking);
        setFont(font);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }

    void setText(const QString& text)
    {
        if (text == accessibleName()) {
            return;
        }
        setAccessibleName(text);
        setVisible(!text.isEmpty());
        updateGeometry();
        update();
    }

    [[nodiscard]] QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return {static_cast<int>(std::ceil(metrics.horizontalAdvance(accessibleName()) + 2 * planPaddingX)),
                static_cast<int>(std::ceil(metrics.height() + 2 * planPaddingY))};
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = m_accent;
        fill.setAlphaF(static_cast<float>(planFillOpacity));
        const QRectF box = QRectF(rect());
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawRoundedRect(box, box.height() / 2, box.height() / 2);
        painter.setPen(m_accent);
        painter.drawText(box, Qt::AlignCenter, accessibleName());
    }

private:
    QColor m_accent;
};

}  // namespace

CardHeader::CardHeader(Provider provider, bool isSnapshot, QWidget* parent)
    : QWidget(parent)
{
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(7);
    row->addWidget(new GlyphView(provider, glyphPoints, this));
    m_name = CardLabel::makeEliding(namePoints, QFont::DemiBold, this);
    m_name->setText(CardLabel::qText(displayName(provider)));
    row->addWidget(m_name);
    auto* plan = new PlanBadge(provider, this);
    plan->hide();
    m_plan = plan;
    row->addWidget(m_plan);
    row->addStretch(1);
    m_badge = new StatusBadge(isSnapshot, this);
    row->addWidget(m_badge);
}

void CardHeader::set(const ProviderDisplay& display, bool refreshing, Date now)
{
    const QString plan =
        display.reading && display.reading->plan ? CardLabel::qText(*display.reading->plan).toUpper() : QString();
    if (auto* badge = dynamic_cast<PlanBadge*>(m_plan)) {
        badge->setText(plan);
    }
    // A named account's card is told from the tool's other cards by its title.
    m_name->setText(CardLabel::qText(display.title()));
    m_badge->set(display, refreshing, now);
}

QString CardHeader::planText() const
{
    return m_plan->accessibleName();
}

}  // namespace ostrel
