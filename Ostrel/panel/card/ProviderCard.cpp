#include "panel/card/ProviderCard.h"

#include <QGraphicsOpacityEffect>
#include <QPaintEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "drawing/CardBackground.h"
#include "drawing/CardLabel.h"
#include "drawing/MarkColors.h"
#include "drawing/Theme.h"
#include "panel/card/AdviceLine.h"
#include "panel/card/CardHeader.h"
#include "panel/card/DetailRows.h"
#include "panel/card/GlidePathChart.h"
#include "panel/card/LimitsList.h"
#include "panel/card/PaceHero.h"
#include "panel/card/ResetCreditsRow.h"
#include "panel/card/StaleBanner.h"
#include "panel/card/StateMessage.h"

namespace ostrel {
namespace {

constexpr int padding = 14;
constexpr int gap = 11;
constexpr double gaugeSpacing = 5;
constexpr double gaugeCornerRadius = 5;

/// The hero, gauge, chart and advice, faded together as one picture. The
/// gauge is drawn by the group itself, so its glow may spill into the gaps.
class PacedGroup : public QWidget
{
public:
    PacedGroup(const PaceCells& gauge, QWidget* parent)
        : QWidget(parent)
        , m_gauge(gauge)
    {
        m_column = new QVBoxLayout(this);
        m_column->setContentsMargins(0, 0, 0, 0);
        m_column->setSpacing(gap);
        m_effect = new QGraphicsOpacityEffect(this);
        m_effect->setOpacity(ProviderCard::dimmedOpacity);
        m_effect->setEnabled(false);
        setGraphicsEffect(m_effect);
    }

    [[nodiscard]] QVBoxLayout& column() const
    {
        return *m_column;
    }

    void setGaugeSpace(QSpacerItem* space)
    {
        m_gaugeSpace = space;
    }

    [[nodiscard]] QRect gaugeRect() const
    {
        return m_gaugeSpace != nullptr ? m_gaugeSpace->geometry() : QRect();
    }

    void setDimmed(bool dimmed)
    {
        // Without fading the group draws directly, not through an offscreen copy.
        m_effect->setEnabled(dimmed);
    }

    [[nodiscard]] double opacity() const
    {
        return m_effect->isEnabled() ? m_effect->opacity() : 1.0;
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        // The glow spills 6 points around the cells; a repaint elsewhere (the
        // hourglass pulsing above) leaves the costly gauge alone.
        constexpr int glowSpill = 6;
        const QRect gauge = gaugeRect();
        if (!event->rect().intersects(gauge.adjusted(-glowSpill, -glowSpill, glowSpill, glowSpill))) {
            return;
        }
        QPainter painter(this);
        m_gauge.paint(painter, QRectF(gauge), Theme::fromPalette(palette()).primary);
    }

private:
    const PaceCells& m_gauge;
    QVBoxLayout* m_column = nullptr;
    QSpacerItem* m_gaugeSpace = nullptr;
    QGraphicsOpacityEffect* m_effect = nullptr;
};

}  // namespace

ProviderCard::ProviderCard(Provider provider, std::function<void()> retry, bool isSnapshot, QWidget* parent)
    : QWidget(parent)
    , m_provider(provider)
    , m_isSnapshot(isSnapshot)
{
    setAccessibleName(CardLabel::qText(displayName(provider)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_gauge.spacing = gaugeSpacing;
    m_gauge.cornerRadius = gaugeCornerRadius;
    m_gauge.glow = true;

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(gap);
    m_header = new CardHeader(provider, isSnapshot, this);
    column->addWidget(m_header);
    m_banner = new StaleBanner(retry, isSnapshot, this);
    column->addWidget(m_banner);
    buildPacedGroup();
    column->addWidget(m_group);
    m_state = new StateMessage(std::move(retry), isSnapshot, this);
    column->addWidget(m_state);
    m_credits = new ResetCreditsRow(this);
    column->addWidget(m_credits);
    m_details = new DetailRows(this);
    column->addWidget(m_details);
    // Height beyond what the pieces ask for stays below them, never between.
    column->addStretch(1);
}

void ProviderCard::buildPacedGroup()
{
    auto* group = new PacedGroup(m_gauge, this);
    m_group = group;
    m_hero = new PaceHero(group);
    group->column().addWidget(m_hero);
    auto* gaugeSpace = new QSpacerItem(0, gaugeHeight, QSizePolicy::Expanding, QSizePolicy::Fixed);
    group->column().addItem(gaugeSpace);
    group->setGaugeSpace(gaugeSpace);
    m_chart = new GlidePathChart(group);
    group->column().addWidget(m_chart);
    m_advice = new AdviceLine(group);
    group->column().addWidget(m_advice);
    m_limits = new LimitsList(group);
    group->column().addWidget(m_limits);
}

void ProviderCard::set(const Value& value)
{
    setAccessibleName(CardLabel::qText(value.display.title()));
    m_header->set(value.display, value.refreshing, value.now);
    const bool paced = value.display.pace && value.display.reading && value.display.reading->weekly;
    m_banner->setVisible(paced && value.display.isDimmed());
    m_group->setVisible(paced);
    m_details->setVisible(paced);
    m_state->setVisible(!paced);
    if (paced) {
        setPaced(value);
    } else {
        m_state->set(value.display, value.refreshing);
    }
    m_credits->set(value.display.resetCredits, value.now, value.renewal);
}

void ProviderCard::setPaced(const Value& value)
{
    const ProviderDisplay& display = value.display;
    if (!display.pace || !display.reading || !display.reading->weekly) {
        return;  // only a display with a pace is shown as paced
    }
    const Pace& pace = *display.pace;
    const std::optional<Date> resetsAt = display.reading->weekly->resetsAt;
    if (display.isDimmed()) {
        m_banner->set(display, value.now);
    }
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-static-cast-downcast): m_group is the PacedGroup buildPacedGroup made
    static_cast<PacedGroup*>(m_group)->setDimmed(display.isDimmed());
    m_hero->set(pace, resetsAt, value.now, value.renewal, !m_isSnapshot);
    m_gauge.filled = pace.litCells;
    m_gauge.tier = pace.tier;
    m_chart->setValue({value.glidePath, *display.reading->weekly, pace, value.now, value.renewal});
    m_advice->set(pace, resetsAt, value.now, value.renewal);
    const auto binding = display.binding();
    m_limits->set(LimitsList::rows(display.windows, !display.reading->otherWindows.empty(), value.now),
                  binding && binding->key != WindowOutlook::weeklyKey ? runOutSentence(*binding, value.now) : "");
    m_details->set(display.reading, value.now, value.renewal);
    m_group->update();
}

bool ProviderCard::isPaced() const
{
    return m_group->isVisibleTo(this);
}

double ProviderCard::pacedOpacity() const
{
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-static-cast-downcast): m_group is the PacedGroup buildPacedGroup made
    return static_cast<const PacedGroup*>(m_group)->opacity();
}

QRect ProviderCard::gaugeRect() const
{
    if (!isPaced()) {
        return {};
    }
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-static-cast-downcast): m_group is the PacedGroup buildPacedGroup made
    const QRect inGroup = static_cast<const PacedGroup*>(m_group)->gaugeRect();
    return inGroup.translated(m_group->pos());
}

void ProviderCard::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    CardBackground{MarkColors::accent(m_provider)}.paint(painter, QRectF(rect()), Theme::fromPalette(palette()));
}

}  // namespace ostrel
