#include "report/AlertNotifier.h"

#include <array>
#include <memory>
#include <string_view>

#include <gtest/gtest.h>

#include "model/AlertStateFile.h"
#include "model/ReadingsFile.h"
#include "platform/DesktopNotifier.h"
#include "support/EventLoop.h"
#include "support/NotificationService.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

// Which alerts fire when is the AlertRules suite's; here, that they reach the
// notification service with their urgency, and that the kept file carries
// across a restart.
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

}  // namespace
}  // namespace ostrel
