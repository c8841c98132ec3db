#pragma once
// The panel: a 384-point column of the header (mark, tab switcher, refresh,
// menu), the chosen tab (a card per account of each enabled provider, or the
// activity switchers and an activity card per account, followed by one of the
// tool's accounts together where it has several; the empty view when none is
// enabled), and the footer. Never taller than its height limit (the
// screen's): the tab's content scrolls between the header and the footer. It is the one view that talks to the store
// and the settings; everything inside it is given values. It re-evaluates every 30 seconds and on every change of the
// store or the settings.

#include <optional>
#include <string>
#include <vector>

#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include "base/WallClock.h"
#include "drawing/Theme.h"
#include "model/Provider.h"
#include "model/ToolAccount.h"
#include "panel/PanelState.h"

namespace ostrel {

class ActivityCard;
class ActivityControls;
class AppSettings;
class EmptyProvidersView;
class PanelFooter;
class PanelHeader;
class ProviderCard;
class RenewalText;
class UsageStore;

class PanelView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int panelWidth = 384;

    struct Options
    {
        /// Values that override the remembered tab, range and measure; never written back.
        PanelState forced;
        /// Drawn for a still picture: no buttons, the product in the footer.
        bool isSnapshot = false;
        /// Whether an updater exists; without one nothing offers to check.
        bool hasUpdater = false;
        /// A scheme of its own (a snapshot); absent follows the application's palette.
        std::optional<ColorScheme> scheme;
        Clock clock = wallClockNow;
    };

    PanelView(UsageStore& store,
              AppSettings& settings,
              PanelActions actions,
              Options options,
              QWidget* parent = nullptr);
    ~PanelView() override;

    PanelView(const PanelView&) = delete;
    PanelView& operator=(const PanelView&) = delete;

    [[nodiscard]] PanelTab effectiveTab() const;
    [[nodiscard]] ActivityRange effectiveRange() const;
    [[nodiscard]] ActivityMeasure effectiveMeasure() const;

    /// The version an updater offers, or none.
    void setAvailableVersion(std::optional<std::string> version);

    /// Redraws everything for the current time.
    void reevaluate();
    /// The tallest the panel may be, in pixels; taller content scrolls.
    void setHeightLimit(int pixels);
    /// The panel's own copy: the owner copies, the footer confirms for 1.8 seconds.
    void copySnapshot();

    [[nodiscard]] PanelHeader& header() const
    {
        return *m_header;
    }

    [[nodiscard]] PanelFooter& footer() const
    {
        return *m_footer;
    }

    /// The accounts' cards in the first tab, in provider order, each tool's
    /// default account first; empty in the other tab.
    [[nodiscard]] const std::vector<ProviderCard*>& providerCards() const
    {
        return m_cards;
    }

    /// The range and measure switchers above the activity cards; null in the first tab.
    [[nodiscard]] ActivityControls* activityControls() const
    {
        return m_activityControls;
    }

    /// The activity cards, in the order of the accounts; empty in the first tab.
    [[nodiscard]] const std::vector<ActivityCard*>& activityCards() const
    {
        return m_activityCards;
    }

    /// The empty view, when no provider is turned on.
    [[nodiscard]] EmptyProvidersView* emptyView() const
    {
        return m_empty;
    }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    /// Changes while the panel is closed wait for it to open: a closed panel costs nothing.
    void reevaluateIfShown();
    void rebuildContent(PanelTab tab, const std::vector<ToolAccount>& accounts);
    void addActivityControls();
    /// An activity card of `account`, or of the provider's accounts together when absent.
    void addActivityCard(Provider provider, const QString& title, std::optional<AccountKey> account);
    void fillContent(Date now, const std::optional<RenewalText>& renewal);
    /// Lays the column out afresh and takes its height: after an evaluation.
    void fitHeight();
    /// Takes the height of the column as laid out, without laying it out again.
    void followContentHeight();
    /// Gives the scrolled content this height, if it has another.
    void setScrolledHeight(int pixels);

    UsageStore& m_store;
    AppSettings& m_settings;
    PanelActions m_actions;
    Options m_options;
    std::optional<std::string> m_availableVersion;
    std::optional<Date> m_copiedAt;
    int m_copyGeneration = 0;

    QVBoxLayout* m_column = nullptr;
    PanelHeader* m_header = nullptr;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_contentColumn = nullptr;
    PanelFooter* m_footer = nullptr;
    std::vector<ProviderCard*> m_cards;
    /// The account each of `m_cards` shows, in the same order.
    std::vector<AccountKey> m_cardAccounts;
    ActivityControls* m_activityControls = nullptr;
    std::vector<ActivityCard*> m_activityCards;
    /// The account each of `m_activityCards` shows, in the same order; absent for a tool's accounts together.
    std::vector<std::optional<AccountKey>> m_activityAccounts;
    EmptyProvidersView* m_empty = nullptr;
    /// Something changed while the panel was closed.
    bool m_outOfDate = false;
    std::optional<PanelTab> m_builtTab;
    std::vector<ToolAccount> m_builtAccounts;
    QTimer m_schedule;
    int m_heightLimit = QWIDGETSIZE_MAX;
};

}  // namespace ostrel
