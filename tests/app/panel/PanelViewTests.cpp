#include "panel/PanelView.h"

#include <algorithm>
#include <array>
#include <string_view>

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "drawing/CapsuleSwitcher.h"
#include "panel/EmptyProvidersView.h"
#include "panel/PanelFooter.h"
#include "panel/PanelHeader.h"
#include "panel/PanelWindow.h"
#include "panel/RefreshButton.h"
#include "panel/activity/ActivityCard.h"
#include "panel/activity/ActivityChart.h"
#include "panel/activity/ActivityControls.h"
#include "panel/activity/ActivityTotals.h"
#include "panel/card/ProviderCard.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using testing::Script;

class PanelViewTest : public ::testing::Test
{
protected:
    std::unique_ptr<PanelView> makeView(PanelView::Options options = {})
    {
        options.clock = [this] {
            return dateFromSince1970(script->now);
        };
        PanelActions actions;
        actions.copySnapshot = [this] {
            ++copies;
        };
        auto view = std::make_unique<PanelView>(store, settings, actions, options);
        view->setAttribute(Qt::WA_DontShowOnScreen);
        view->show();
        return view;
    }

    void readBoth()
    {
        script->add(Provider::claude, testing::readingOf(Provider::claude, 40));
        script->add(Provider::openai, testing::readingOf(Provider::openai, 70));
        store.refresh();
        ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty(); }));
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    std::shared_ptr<Script> script = std::make_shared<Script>();
    UsageStore store{settings, testing::optionsFor(script)};
    int copies = 0;
};

/// The providers shown in the current tab: provider cards in the first, activity cards in the other.
std::vector<Provider> slotProviders(const PanelView& view)
{
    std::vector<Provider> providers;
    for (const ProviderCard* card : view.providerCards()) {
        providers.push_back(card->provider());
    }
    for (const ActivityCard* card : view.activityCards()) {
        providers.push_back(card->provider());
    }
    return providers;
}

TEST_F(PanelViewTest, HeaderReadsMarkTitleTabsRefreshAndMenuFromLeftToRight)
{
    const auto view = makeView();
    PanelHeader& header = view->header();
    const auto* title = header.findChild<QLabel*>();
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("Ostrel"));
    ASSERT_NE(header.refreshButton(), nullptr);
    ASSERT_NE(header.menuButton(), nullptr);
    const std::array<int, 4> xs{title->x(), header.tabs().x(), header.refreshButton()->x(), header.menuButton()->x()};
    EXPECT_TRUE(std::ranges::is_sorted(xs)) << xs[0] << ' ' << xs[1] << ' ' << xs[2] << ' ' << xs[3];

    QStringList items;
    for (const QAction* action : header.menu().actions()) {
        items.append(action->isSeparator() ? QStringLiteral("—") : action->text());
    }
    // Without an updater nothing offers to check for one.
    EXPECT_EQ(items.join(QLatin1Char('|')),
              QStringLiteral("Copy Snapshot|Copy Summary Text|—|Settings…|—|Quit Ostrel"));
}

TEST_F(PanelViewTest, ShowsOnePlacePerEnabledProviderOrTheEmptyViewInBothTabs)
{
    struct Case
    {
        std::string_view name;
        bool claude;
        bool openai;
        std::vector<Provider> expected;
    };

    const auto cases = std::to_array<Case>({
        {"both", true, true, {Provider::claude, Provider::openai}},
        {"only Codex", false, true, {Provider::openai}},
        {"none", false, false, {}},
    });
    const auto view = makeView();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setClaudeEnabled(c.claude);
        settings.setOpenaiEnabled(c.openai);
        for (const PanelTab tab : allPanelTabs) {
            settings.setPanelTab(tab);
            EXPECT_EQ(slotProviders(*view), c.expected);
            EXPECT_EQ(view->emptyView() != nullptr, c.expected.empty());
            EXPECT_TRUE(view->header().isVisibleTo(view.get()));
            EXPECT_TRUE(view->footer().isVisibleTo(view.get()));
        }
    }
}

TEST_F(PanelViewTest, TheSwitcherRemembersTheTabAndAForcedTabNeverWritesBack)
{
    {
        const auto view = makeView();
        EXPECT_EQ(view->effectiveTab(), PanelTab::pace);
        view->header().tabs().option(1)->click();
        EXPECT_EQ(view->effectiveTab(), PanelTab::activity);
    }
    // Settings read afresh from the file, as after a restart.
    AppSettings reloaded(std::filesystem::path(temp.folder.path().toStdString()), LoginItem::forCurrentUser());
    EXPECT_EQ(reloaded.panelTab(), PanelTab::activity);
    EXPECT_EQ(makeView()->header().tabs().selectedIndex(), 1);

    PanelView::Options forced;
    forced.forced.tab = PanelTab::pace;
    const auto view = makeView(forced);
    EXPECT_EQ(view->effectiveTab(), PanelTab::pace);
    view->header().tabs().option(1)->click();
    EXPECT_EQ(settings.panelTab(), PanelTab::activity);
    EXPECT_EQ(view->effectiveTab(), PanelTab::pace);
}

TEST_F(PanelViewTest, TheActivitySwitchersSetMeasureAndRangeUnlessTheOwnerForcesThem)
{
    // Forced to the stored choices, the view keeps them and writes nothing back.
    for (const bool forced : {false, true}) {
        SCOPED_TRACE(forced ? "forced" : "remembered");
        settings.setActivityMeasure(ActivityMeasure::all);
        settings.setActivityRange(ActivityRange::day);
        PanelView::Options options;
        options.forced.tab = PanelTab::activity;
        if (forced) {
            options.forced.measure = ActivityMeasure::all;
            options.forced.range = ActivityRange::day;
        }
        const auto view = makeView(options);
        ASSERT_NE(view->activityControls(), nullptr);
        view->activityControls()->measureSwitcher().option(1)->click();
        view->activityControls()->rangeSwitcher().option(1)->click();
        const ActivityMeasure measure = forced ? ActivityMeasure::all : ActivityMeasure::fresh;
        const ActivityRange range = forced ? ActivityRange::day : ActivityRange::week;
        EXPECT_EQ(settings.activityMeasure(), measure);
        EXPECT_EQ(settings.activityRange(), range);
        EXPECT_EQ(view->activityControls()->rangeSwitcher().selectedIndex(), indexOfCase(allActivityRanges, range));
        for (const ActivityCard* card : view->activityCards()) {
            EXPECT_EQ(card->chart().value().range, range);
            EXPECT_EQ(card->chart().value().measure, measure);
            EXPECT_EQ(card->chart().value().bins.size(), 0U) << "nothing scanned yet";
        }
    }
}

TEST_F(PanelViewTest, TheActivityCardsFollowAScanFromStartToEnd)
{
    settings.setPanelTab(PanelTab::activity);
    const auto view = makeView();
    ASSERT_EQ(view->activityCards().size(), 2U);
    EXPECT_EQ(view->activityCards().front()->headerText(), QStringLiteral("peak 0"));
    EXPECT_EQ(script->scans, 0) << "opening the tab scans nothing by itself";

    script->scanMilliseconds = 200;
    store.refreshActivity(0);
    for (const ActivityCard* card : view->activityCards()) {
        EXPECT_EQ(card->headerText(), QStringLiteral("Reading session logs…"));
    }
    ASSERT_TRUE(testing::spinUntil([&] { return !store.scanningActivity(); }));
    for (const ActivityCard* card : view->activityCards()) {
        EXPECT_EQ(card->headerText(), QStringLiteral("peak 0"));
        EXPECT_EQ(card->totals().shownCells().front().valueText(), QStringLiteral("0"));
    }
    EXPECT_EQ(script->scans, 2);
}

TEST_F(PanelViewTest, ACopyIsConfirmedForAWhileWithTheNextRefreshHidden)
{
    store.reschedule();
    const auto view = makeView();
    view->footer().button()->click();
    EXPECT_EQ(copies, 1);
    EXPECT_EQ(view->footer().statusText(), QStringLiteral("Snapshot copied"));
    EXPECT_TRUE(view->footer().nextText().isEmpty());
    EXPECT_TRUE(testing::spinUntil([&] { return view->footer().statusText() != QStringLiteral("Snapshot copied"); },
                                   std::chrono::seconds(5)));
    EXPECT_FALSE(view->footer().nextText().isEmpty());
}

TEST_F(PanelViewTest, AnAvailableUpdateTakesTheCopyButtonsPlace)
{
    const auto view = makeView();
    view->setAvailableVersion("1.4.0");
    EXPECT_EQ(view->footer().button()->text(), QStringLiteral("Update 1.4.0"));
    EXPECT_EQ(view->footer().button()->toolTip(), QStringLiteral("Install Ostrel 1.4.0"));
    // The menu still copies.
    EXPECT_EQ(view->header().menu().actions().front()->text(), QStringLiteral("Copy Snapshot"));
}

TEST_F(PanelViewTest, ASnapshotHasNoControlsAndNamesTheProduct)
{
    PanelView::Options options;
    options.isSnapshot = true;
    options.forced.tab = PanelTab::activity;
    options.forced.timestamp = true;
    const auto view = makeView(options);
    EXPECT_EQ(view->header().refreshButton(), nullptr);
    EXPECT_EQ(view->header().menuButton(), nullptr);
    EXPECT_EQ(view->footer().button(), nullptr);
    QStringList texts;
    for (const QLabel* label : view->footer().findChildren<QLabel*>()) {
        if (label->isVisibleTo(view.get())) {
            texts.append(label->text());
        }
    }
    ASSERT_GE(texts.size(), 4);
    EXPECT_EQ(texts.mid(0, 3).join(QLatin1Char(' ')), QStringLiteral("Ostrel · ostrel.app"));
    EXPECT_EQ(view->effectiveTab(), PanelTab::activity);
}

TEST_F(PanelViewTest, TheRefreshArrowTurnsWhileAProviderIsRead)
{
    const auto view = makeView();
    script->add(Provider::claude, testing::readingOf(Provider::claude, 40), std::chrono::milliseconds(300));
    view->header().refreshButton()->click();
    EXPECT_TRUE(view->header().refreshButton()->isSpinning());
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty(); }));
    EXPECT_FALSE(view->header().refreshButton()->isSpinning());
}

TEST_F(PanelViewTest, GivesEveryCardTheHeightOfItsWrappedTextsAfterEveryEvaluation)
{
    readBoth();
    const auto view = makeView();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QCoreApplication::processEvents();
        ASSERT_EQ(view->providerCards().size(), 2U);
        for (const ProviderCard* card : view->providerCards()) {
            EXPECT_EQ(card->height(), card->heightForWidth(card->width()));
        }
        EXPECT_EQ(view->findChild<QScrollArea*>()->verticalScrollBar()->maximum(), 0) << "nothing scrolls";
        EXPECT_EQ(view->height(), view->layout()->totalSizeHint().height());
        script->advance(600);
        view->reevaluate();
    }
}

TEST_F(PanelViewTest, NeverTallerThanItsLimitWithTheCardsScrollingBetweenHeaderAndFooter)
{
    readBoth();
    const auto view = makeView();
    QCoreApplication::processEvents();
    const int natural = view->height();
    const auto* scroll = view->findChild<QScrollArea*>();
    for (const int limit : {natural - 250, QWIDGETSIZE_MAX}) {
        SCOPED_TRACE(limit);
        view->setHeightLimit(limit);
        view->reevaluate();
        QCoreApplication::processEvents();
        EXPECT_EQ(view->height(), std::min(limit, natural));
        EXPECT_EQ(scroll->verticalScrollBar()->maximum() > 0, limit < natural);
        EXPECT_LE(view->footer().geometry().bottom(), view->height()) << "the footer stays in view";
    }
}

TEST_F(PanelViewTest, TabReachesEveryControlAndEachHasAName)
{
    readBoth();
    const auto view = makeView();
    QWidget* first = view->header().tabs().option(0);
    first->setFocus(Qt::TabFocusReason);
    QStringList reached;
    QWidget* focused = first;
    for (int step = 0; step < 40; ++step) {
        ASSERT_FALSE(focused->accessibleName().isEmpty()) << focused->metaObject()->className();
        reached.append(focused->accessibleName());
        focused = focused->nextInFocusChain();
        while (focused->focusPolicy() & Qt::TabFocus ? !focused->isVisibleTo(view.get()) : true) {
            focused = focused->nextInFocusChain();
        }
        if (focused == first) {
            break;
        }
    }
    for (const char* name : {"Ostrel", "Activity", "Refresh now", "More", "Copy"}) {
        EXPECT_TRUE(reached.contains(QString::fromUtf8(name))) << name;
    }
}

/// Counts the layout requests and paints that reach a window or anything inside it.
class PanelActivity : public QObject
{
public:
    explicit PanelActivity(const QWidget& window)
        : m_window(window)
    {
        // The application drops a filter once it is destroyed.
        QCoreApplication::instance()->installEventFilter(this);
    }

    /// Layout requests and paints over `turns` turns of the event loop.
    std::pair<int, int> over(int turns)
    {
        m_layoutRequests = 0;
        m_paints = 0;
        for (int turn = 0; turn < turns; ++turn) {
            QCoreApplication::processEvents();
        }
        return {m_layoutRequests, m_paints};
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        if (widget != nullptr && (widget == &m_window || m_window.isAncestorOf(widget))) {
            m_layoutRequests += event->type() == QEvent::LayoutRequest ? 1 : 0;
            m_paints += event->type() == QEvent::Paint ? 1 : 0;
        }
        return false;
    }

private:
    const QWidget& m_window;
    int m_layoutRequests = 0;
    int m_paints = 0;
};

TEST_F(PanelViewTest, SettlesOnceShownAndCostsNothingOnceClosedInBothTabs)
{
    // A signed-out card with its message beside a card still being read, its badge turning.
    script->add(Provider::claude, std::unexpected(FetchFailure::notLoggedIn()));
    script->add(Provider::openai, testing::readingOf(Provider::openai, 10), std::chrono::milliseconds(1500));
    store.refresh();
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing() == std::set{Provider::openai}; }));
    auto* view = new PanelView(store, settings, {}, {});
    PanelWindow window(view);
    window.setAttribute(Qt::WA_DontShowOnScreen);
    PanelActivity activity(window);
    window.open(std::nullopt);
    constexpr int turns = 50;
    for (const PanelTab tab : {PanelTab::activity, PanelTab::pace}) {
        SCOPED_TRACE(static_cast<int>(tab));
        settings.setPanelTab(tab);
        activity.over(turns);
        EXPECT_EQ(activity.over(turns).first, 0) << "layout requests while shown";
    }
    window.hide();
    EXPECT_EQ(store.refreshing(), std::set{Provider::openai}) << "Codex is still being read";
    EXPECT_EQ(activity.over(turns), std::pair(0, 0)) << "layout requests and paints while closed";
    EXPECT_FALSE(view->header().refreshButton()->isSpinning());
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty(); }));
}

}  // namespace
}  // namespace ostrel
