#include "updates/UpdateController.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <string>
#include <string_view>

#include <QAction>
#include <QDateTime>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "panel/PanelFooter.h"
#include "panel/PanelView.h"
#include "panel/PanelWindow.h"
#include "support/EventLoop.h"
#include "support/FeedSigner.h"
#include "support/LocalHttpsServer.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"
#include "tray/StatusItemController.h"
#include "updates/UpdateDialog.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

[[nodiscard]] std::string feedFor(std::string_view version)
{
    return R"({"version": ")" + std::string(version)
           + R"(", "date": "2026-11-30", "page": "https://example.org/ostrel/release"})";
}

class UpdateControllerTest : public ::testing::Test
{
protected:
    testing::LocalHttpsServer server;
    testing::FeedSigner signer;
    testing::TempSettings temp;
    Date now = dateFromSince1970(1796000000);  // a Thursday in 2026

    void publish(const std::string& document, const std::string& signature) const
    {
        std::ofstream(server.filesFolder() / "feed.json", std::ios::binary) << document;
        std::ofstream(server.filesFolder() / "feed.json.sig", std::ios::binary) << signature;
    }

    [[nodiscard]] std::unique_ptr<UpdateController> controller(const std::string& path = "/file/feed.json")
    {
        ReleaseFeedAddress address{server.url(path), signer.publicKey(), server.caBundle(), Seconds{3}};
        return std::make_unique<UpdateController>([address] { return ReleaseFeed::fetch(address); },
                                                  "1.4.0",
                                                  temp.settings,
                                                  [this] { return now; });
    }

    static void checkAndWait(UpdateController& updates)
    {
        updates.check();
        ASSERT_TRUE(testing::spinUntil([&] { return !updates.isChecking(); }));
    }
};

TEST_F(UpdateControllerTest, AnnouncesOnlyANewerSignedReleaseAndKeepsItThroughFailures)
{
    const auto updates = controller();
    std::vector<std::string> opened;
    updates->setOpenUrl([&opened](const std::string& address) { opened.push_back(address); });

    struct Step
    {
        std::string_view name;
        std::string document;
        bool tamper;
        std::optional<std::string> available;
    };

    const auto steps = std::to_array<Step>({
        {"a newer release", feedFor("1.10.0"), false, "1.10.0"},
        {"a tampered feed changes nothing", feedFor("1.11.0"), true, "1.10.0"},
        {"the same version clears it", feedFor("1.4.0"), false, std::nullopt},
    });
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        publish(step.document, signer.sign(step.tamper ? feedFor("1.10.0") : step.document));
        checkAndWait(*updates);
        EXPECT_EQ(updates->availableVersion(), step.available);
    }
    EXPECT_TRUE(opened.empty());

    // Having been to the release page ends the announcement.
    publish(feedFor("1.5.0"), signer.sign(feedFor("1.5.0")));
    checkAndWait(*updates);
    ASSERT_EQ(updates->availableVersion(), "1.5.0");
    updates->openReleasePage();
    EXPECT_EQ(opened, std::vector<std::string>{"https://example.org/ostrel/release"});
    EXPECT_EQ(updates->availableVersion(), std::nullopt);
}

TEST_F(UpdateControllerTest, TheDialogSaysCheckingThenWhatTheCheckFound)
{
    struct Case
    {
        std::string_view name;
        std::optional<std::string> document;  ///< absent: no feed at all
        QString headline;
        bool offersPage;
    };

    // A found release is shown at once without checking again, so it comes last.
    const auto cases = std::to_array<Case>({
        {"unreachable", std::nullopt, QStringLiteral("Couldn't check for updates"), false},
        {"current", feedFor("1.4"), QStringLiteral("You're up to date"), false},
        {"newer", feedFor("1.5"), QStringLiteral("Ostrel 1.5 is available"), true},
    });
    const auto updates = controller();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.document) {
            publish(*c.document, signer.sign(*c.document));
        }
        updates->showCheckDialog();
        ASSERT_NE(updates->dialog(), nullptr);
        EXPECT_EQ(updates->dialog()->headline(), QStringLiteral("Checking for updates…"));
        ASSERT_TRUE(testing::spinUntil([&] { return !updates->isChecking(); }));
        EXPECT_EQ(updates->dialog()->headline(), c.headline);
        EXPECT_EQ(updates->dialog()->offersReleasePage(), c.offersPage);
    }
}

TEST_F(UpdateControllerTest, ACheckThatHangsLeavesTheEventLoopRunning)
{
    const auto updates = controller("/hang");
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(10);
    updates->check();
    ASSERT_TRUE(testing::spinUntil([&] { return ticks >= 20; }, 5s)) << "the main thread was blocked";
    EXPECT_TRUE(updates->isChecking());
    ASSERT_TRUE(testing::spinUntil([&] { return !updates->isChecking(); }, 20s));
    EXPECT_EQ(updates->lastOutcome()->kind, UpdateCheckOutcome::Kind::failed);
}

TEST_F(UpdateControllerTest, ChecksAutomaticallyAtMostOnceADayAndOnlyWhenAllowed)
{
    std::atomic<int> fetches = 0;
    const auto make = [&] {
        return std::make_unique<UpdateController>(
            [&fetches]() -> std::expected<ReleaseEntry, std::string> {
                ++fetches;
                return std::unexpected(std::string("offline"));
            },
            "1.4.0",
            temp.settings,
            [this] { return now; });
    };

    // Never checked: the first check follows the start of automatic checks at once.
    auto updates = make();
    EXPECT_FALSE(updates->nextAutomaticCheck().has_value()) << "nothing before the first readings are done";
    updates->startAutomaticChecks();
    ASSERT_TRUE(testing::spinUntil([&] { return fetches == 1 && !updates->isChecking(); }));
    ASSERT_EQ(temp.settings.lastUpdateCheck(), now);
    const auto next = updates->nextAutomaticCheck();
    ASSERT_TRUE(next.has_value()) << "a failed check is retried the next day, not at once";
    const QDateTime checkedAt = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secondsSince1970(now)));
    EXPECT_GT(*next, checkedAt);
    EXPECT_LE(*next, checkedAt.addDays(1).addSecs(3600)) << "within a day (and an hour of clock change)";

    // A new process within the day does not check again; turning the preference off stops it.
    updates = make();
    updates->startAutomaticChecks();
    testing::spinFor(100ms);
    EXPECT_EQ(fetches, 1);
    EXPECT_TRUE(updates->nextAutomaticCheck().has_value());
    temp.settings.setAutomaticallyChecksForUpdates(false);
    EXPECT_FALSE(updates->nextAutomaticCheck().has_value());

    // Two days later, with the preference back on, it checks at once.
    now += Seconds{2 * 86400.0};
    temp.settings.setAutomaticallyChecksForUpdates(true);
    ASSERT_TRUE(testing::spinUntil([&] { return fetches == 2; }));
}

/// Whether the footer offers the update once the panel is opened (a closed panel is not kept up to date).
[[nodiscard]] bool showsUpdateButton(const StatusItemController& tray)
{
    PanelWindow& panel = tray.panel();
    panel.setAttribute(Qt::WA_DontShowOnScreen);
    panel.open(std::nullopt);
    const bool shows = panel.view().footer().button()->text().startsWith(QStringLiteral("Update "));
    panel.hide();
    return shows;
}

TEST_F(UpdateControllerTest, AnUpdaterOffersUpdatesInTheMenuAndAFoundReleaseInThePanel)
{
    publish(feedFor("1.5.0"), signer.sign(feedFor("1.5.0")));
    const auto updates = controller();
    const auto script = std::make_shared<testing::Script>();
    UsageStore store{temp.settings, testing::optionsFor(script)};

    StatusItemController with{store, temp.settings, wallClockNow, updates.get()};
    EXPECT_TRUE(std::ranges::any_of(with.menu().actions(), [](const QAction* action) {
        return action->text() == QStringLiteral("Check for Updates…");
    }));
    EXPECT_FALSE(showsUpdateButton(with));
    checkAndWait(*updates);
    EXPECT_TRUE(showsUpdateButton(with));
}

}  // namespace
}  // namespace ostrel
