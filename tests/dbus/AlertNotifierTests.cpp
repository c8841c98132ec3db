#include "report/AlertNotifier.h"

#include <array>
#include <memory>
#include <string_view>

#include <gtest/gtest.h>

#include "model/AlertStateFile.h"
#include "model/ReadingsFile.h"
#include "platform/DesktopNotifier.h"
#include "readers/ClaudeStatusLine.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/NotificationService.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

// Which alerts fire when is the AlertRules suite's; here, that they reach the
// notification service with their urgency, and that the kept file carries
// across a restart.
using testing::spinFor;
using testing::spinUntil;

const Date start = dateFromSince1970(1'800'000'000);

class AlertNotifierTest : public testing::NotificationServiceTest
{
public:
    /// Claude's reading at `hours` from the start: the week 10 % used, the session `sessionUsed`.
    void read(double hours, double sessionUsed)
    {
        now = start + Seconds{hours * 3600};
        ReadingsFile::record(
            saved,
            Provider::claude,
            ProviderReading{.fetchedAt = now,
                            .weekly = UsageWindow{10, start + Seconds{100 * 3600}},
                            .session = UsageWindow{sessionUsed, start + Seconds{4.5 * 3600}, UsageWindow::fiveHours},
                            .source = "usage API"},
            now);
    }

    std::unique_ptr<AlertNotifier> started()
    {
        auto made = std::make_unique<AlertNotifier>(
            AlertNotifier::Hooks{.displays =
                                     [this](Date at) {
                                         return std::vector{ProviderDisplay::make(saved.snapshots[Provider::claude],
                                                                                  Provider::claude,
                                                                                  at,
                                                                                  ProviderDisplay::staleAfterFor(15),
                                                                                  saved.history[Provider::claude])};
                                     },
                                 .now =
                                     [this] {
                                         return now;
                                     }},
            AlertStateFile::filePath(folder.path()),
            notifier);
        made->start();
        return made;
    }

    testing::TemporaryFolder folder;
    DesktopNotifier notifier;
    Saved saved;
    Date now = start;
};

TEST_F(AlertNotifierTest, PostsEachAlertOnceWithItsUrgencyAcrossARestart)
{
    struct Step
    {
        std::string_view name;
        double hours;
        double sessionUsed;
        bool restart;
        std::size_t calls;  ///< posted so far
    };

    constexpr auto steps = std::to_array<Step>({
        {"the first look records without sending", 0, 10, false, 0},
        {"within 3 hours: a normal alert", 1, 45, false, 1},
        {"the same reading after a restart sends nothing", 1.1, 45, true, 1},
        {"within the hour: a critical alert", 2, 75, false, 2},
    });
    auto alerts = started();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        read(step.hours, step.sessionUsed);
        if (step.restart) {
            alerts = started();
        }
        alerts->check();
        EXPECT_TRUE(spinUntil([&] { return service.calls().size() >= step.calls; }));
    }
    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Claude's session runs out within 3 hours"));
    EXPECT_EQ(calls[0].urgency, 1);
    EXPECT_EQ(calls[1].summary, QStringLiteral("Claude's session runs out within the hour"));
    EXPECT_EQ(calls[1].body,
              QStringLiteral("At this pace the session runs out in about 50 min, 2 h before it renews."));
    EXPECT_EQ(calls[1].urgency, 2);
}

TEST_F(AlertNotifierTest, AStatusLineFigurePassingTheThresholdAlertsOnceAndOnlyWhatIsSwitchedOn)
{
    testing::TempSettings temp;
    temp.settings.setAlertOn(AlertTopic::runsOut, false);
    const auto script = std::make_shared<testing::Script>();
    UsageStore store(temp.settings, testing::optionsFor(script, folder.path()));
    AlertNotifier::Hooks hooks{.displays = [&store](Date at) {
        return std::vector{store.display(Provider::claude, at)};
    }};
    hooks.threshold = [&temp] {
        return static_cast<double>(temp.settings.alertThresholdPercent());
    };
    hooks.sends = [&temp](AlertTopic topic) {
        return temp.settings.alertOn(topic);
    };
    hooks.now = [&script] {
        return dateFromSince1970(script->now);
    };
    AlertNotifier alerts(std::move(hooks), AlertStateFile::filePath(folder.path()), notifier);
    alerts.start();
    QObject::connect(&store, &UsageStore::changed, &alerts, &AlertNotifier::check);
    store.start();

    // Claude Code's figures as its status line hands them over, ten minutes apart: the session at 85 %, 92 %, 93 %,
    // renewing two hours from the start, which at that pace runs out before (switched off here).
    const Date renewal = dateFromSince1970(script->now) + Seconds{7200};
    for (const double used : {85.0, 92.0, 93.0}) {
        script->advance(600);
        const Date at = dateFromSince1970(script->now);
        ASSERT_TRUE(ClaudeStatusLine::leave(folder.path(),
                                            {.receivedAt = at,
                                             .weekly = UsageWindow{10, renewal + Seconds{4 * 86400}, UsageWindow::week},
                                             .session = UsageWindow{used, renewal, UsageWindow::fiveHours}}));
        ASSERT_TRUE(spinUntil([&store, used] {
            const auto& snapshots = store.snapshots();
            const auto claude = snapshots.find(Provider::claude);
            return claude != snapshots.end() && claude->second.lastReading && claude->second.lastReading->session
                   && claude->second.lastReading->session->usedPercent == used;
        }));
    }
    spinFor(std::chrono::milliseconds(200));
    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Claude's session passed 90% used"));
    const auto kept = AlertStateFile::load(AlertStateFile::filePath(folder.path()));
    ASSERT_TRUE(kept);
    const auto& session = kept->providers.at(0).windows;
    EXPECT_TRUE(std::ranges::any_of(session, [](const WindowAlertState& window) {
        return std::ranges::any_of(window.fired, [](const FiredAlert& fired) {
            return fired.kind == AlertKind::runsOutWithinHour && !fired.delivered;
        });
    })) << "met, kept as not sent";
}

}  // namespace
}  // namespace ostrel
