#include "panel/PanelView.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>
#include <string_view>

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "panel/EmptyProvidersView.h"
#include "panel/PanelFooter.h"
#include "panel/PanelHeader.h"
#include "panel/PanelWindow.h"
#include "panel/RefreshButton.h"
#include "panel/activity/ActivityCard.h"
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
    std::unique_ptr<PanelView> makeView()
    {
        PanelView::Options options;
        options.clock = [this] {
            return dateFromSince1970(script->now);
        };
        auto view = std::make_unique<PanelView>(store, settings, PanelActions{}, options);
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
};

/// The cards of the current tab.
std::vector<const QWidget*> cardsOf(const PanelView& view)
{
    std::vector<const QWidget*> cards(view.providerCards().begin(), view.providerCards().end());
    cards.insert(cards.end(), view.activityCards().begin(), view.activityCards().end());
    return cards;
}

/// The titles of the cards in the current tab, as told to assistive tools.
std::vector<std::string> cardTitles(const PanelView& view)
{
    std::vector<std::string> titles;
    for (const QWidget* card : cardsOf(view)) {
        titles.push_back(card->accessibleName().toStdString());
    }
    return titles;
}

TEST_F(PanelViewTest, ShowsOnePlacePerEnabledProviderOrTheEmptyViewInBothTabs)
{
    struct Case
    {
        std::string_view name;
        bool claude;
        bool openai;
        std::string account;  ///< the name of Claude's second account; empty: none
        std::vector<std::string> titles;
        std::vector<std::string> activityTitles;
    };

    // A name of any length keeps the panel its width: it ends in an ellipsis.
    const std::string longName = "Personal projects of the weekend team at home, and everything else";
    const auto cases = std::to_array<Case>({
        {"both", true, true, "", {"Claude", "OpenAI"}, {"Claude activity", "OpenAI activity"}},
        {"a second account of Claude: a card of its own in each tab, then the tool's accounts together",
         true,
         true,
         "Work",
         {"Claude", "Claude \u00B7 Work", "OpenAI"},
         {"Claude activity", "Claude \u00B7 Work activity", "Claude \u00B7 All accounts activity", "OpenAI activity"}},
        {"an account with a long name",
         true,
         false,
         longName,
         {"Claude", "Claude \u00B7 " + longName},
         {"Claude activity", "Claude \u00B7 " + longName + " activity", "Claude \u00B7 All accounts activity"}},
        {"only Codex", false, true, "Work", {"OpenAI"}, {"OpenAI activity"}},
        {"none", false, false, "", {}, {}},
    });
    const auto view = makeView();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setClaudeEnabled(c.claude);
        settings.setOpenaiEnabled(c.openai);
        for (const ToolAccount& account : settings.accounts(Provider::claude)) {
            (void)settings.removeAccount(Provider::claude, account.id);
        }
        if (!c.account.empty()) {
            ASSERT_TRUE(
                settings.addAccount(Provider::claude, c.account, std::filesystem::temp_directory_path() / "work"));
        }
        for (const PanelTab tab : allPanelTabs) {
            settings.setPanelTab(tab);
            EXPECT_EQ(cardTitles(*view), tab == PanelTab::pace ? c.titles : c.activityTitles);
            EXPECT_EQ(view->emptyView() != nullptr, c.titles.empty());
            for (const QWidget* card : cardsOf(*view)) {
                EXPECT_LE(card->minimumSizeHint().width(), view->width()) << "a card wider than the panel";
            }
            EXPECT_TRUE(view->header().isVisibleTo(view.get()));
            EXPECT_TRUE(view->footer().isVisibleTo(view.get()));
        }
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
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing() == std::set{AccountKey{Provider::openai, {}}}; }));
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
    // Taller than its limit, the panel settles just the same with its cards scrolling.
    view->setHeightLimit(view->height() / 2);
    view->reevaluate();
    activity.over(turns);
    EXPECT_EQ(activity.over(turns).first, 0) << "layout requests while scrolling";
    window.hide();
    EXPECT_EQ(store.refreshing(), (std::set{AccountKey{Provider::openai, {}}})) << "Codex is still being read";
    EXPECT_EQ(activity.over(turns), std::pair(0, 0)) << "layout requests and paints while closed";
    EXPECT_FALSE(view->header().refreshButton()->isSpinning());
    ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty(); }));
}

}  // namespace
}  // namespace ostrel
