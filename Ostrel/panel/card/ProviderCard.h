#pragma once
// One provider's card in the panel: the header with the status badge, then
// either the paced body (banner when faded, big figures, five-cell gauge,
// glide-path chart, advice, reset credits, session and note) or a state
// message that says why there is nothing to pace. Built from a value and
// updated in place, so a new value never flickers, a copied command keeps its
// check and a changed percentage counts to its new figure.

#include <functional>
#include <optional>
#include <vector>

#include <QRect>
#include <QWidget>

#include "drawing/PaceCells.h"
#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/ProviderDisplay.h"
#include "model/RenewalText.h"

namespace ostrel {

class AdviceLine;
class CardHeader;
class DetailRows;
class GlidePathChart;
class LimitsList;
class PaceHero;
class ResetCreditsRow;
class StaleBanner;
class StateMessage;

class ProviderCard : public QWidget
{
    Q_OBJECT

public:
    static constexpr double dimmedOpacity = 0.6;
    static constexpr int gaugeHeight = 18;

    struct Value
    {
        ProviderDisplay display;
        /// A reading of this provider is running.
        bool refreshing = false;
        /// The weekly allowance observed so far in the current window.
        std::vector<AllowancePoint> glidePath;
        Date now;
        /// The user's calendar words; without them renewal phrases are left out.
        std::optional<RenewalText> renewal;
    };

    /// `retry` reads this provider again; a snapshot card has no buttons and never animates.
    ProviderCard(Provider provider, std::function<void()> retry, bool isSnapshot, QWidget* parent = nullptr);

    void set(const Value& value);

    [[nodiscard]] Provider provider() const
    {
        return m_provider;
    }

    /// Whether the paced body is shown (else the state message).
    [[nodiscard]] bool isPaced() const;
    /// The opacity the hero, gauge, chart and advice are drawn at.
    [[nodiscard]] double pacedOpacity() const;
    /// Where the gauge is drawn, in the card's coordinates; empty when not paced.
    [[nodiscard]] QRect gaugeRect() const;

    [[nodiscard]] const PaceCells& gauge() const
    {
        return m_gauge;
    }

    [[nodiscard]] CardHeader& header() const
    {
        return *m_header;
    }

    [[nodiscard]] StaleBanner& banner() const
    {
        return *m_banner;
    }

    [[nodiscard]] PaceHero& hero() const
    {
        return *m_hero;
    }

    [[nodiscard]] AdviceLine& adviceLine() const
    {
        return *m_advice;
    }

    [[nodiscard]] LimitsList& limitsList() const
    {
        return *m_limits;
    }

    [[nodiscard]] StateMessage& stateMessage() const
    {
        return *m_state;
    }

    [[nodiscard]] ResetCreditsRow& resetCredits() const
    {
        return *m_credits;
    }

    [[nodiscard]] DetailRows& details() const
    {
        return *m_details;
    }

    /// The glide-path chart, given every paced value.
    [[nodiscard]] GlidePathChart* chart() const
    {
        return m_chart;
    }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildPacedGroup();
    void setPaced(const Value& value);

    Provider m_provider;
    bool m_isSnapshot = false;
    PaceCells m_gauge;

    CardHeader* m_header = nullptr;
    StaleBanner* m_banner = nullptr;
    QWidget* m_group = nullptr;
    PaceHero* m_hero = nullptr;
    GlidePathChart* m_chart = nullptr;
    AdviceLine* m_advice = nullptr;
    LimitsList* m_limits = nullptr;
    StateMessage* m_state = nullptr;
    ResetCreditsRow* m_credits = nullptr;
    DetailRows* m_details = nullptr;
};

}  // namespace ostrel
