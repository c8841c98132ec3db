// Claude Code's status line as a source of Claude's reading: while Claude's own
// reader fails, the running store takes the figures `ostrel --statusline` leaves
// in its data folder as a live reading.

#include <memory>

#include <gtest/gtest.h>

#include "model/ProviderDisplay.h"
#include "readers/ClaudeStatusLine.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using testing::start;

TEST(StatusLineReading, TheRunningStoreTakesTheDropAsClaudesLiveReadingWhileItsReaderFails)
{
    const testing::TemporaryFolder data;
    const auto script = std::make_shared<testing::Script>();
    script->add(Provider::claude, std::unexpected(FetchFailure::unreachable("turned away")));
    testing::TempSettings settings;
    UsageStore store(settings.settings, testing::optionsFor(script, data.path()));
    store.start();
    const auto claude = [&] {
        const auto found = store.snapshots().find(Provider::claude);
        return found == store.snapshots().end() ? ProviderSnapshot{} : found->second;
    };
    ASSERT_TRUE(testing::spinUntil([&] { return claude().lastFailure.has_value(); }));
    const Date now = start + Seconds{60};
    EXPECT_EQ(store.display(Provider::claude, now).status, ProviderDisplay::Status::unavailable);

    const ClaudeStatusLine::Figures figures{.receivedAt = now,
                                            .weekly = UsageWindow{41, start + Seconds{200000}},
                                            .session = UsageWindow{23, start + Seconds{10000}, UsageWindow::fiveHours}};
    ASSERT_TRUE(ClaudeStatusLine::leave(data.path(), figures).has_value());
    ASSERT_TRUE(testing::spinUntil(
        [&] { return claude().lastReading && claude().lastReading->source == ClaudeStatusLine::source; }));
    const ProviderReading reading = *claude().lastReading;
    EXPECT_EQ(reading.weekly, figures.weekly);
    EXPECT_EQ(reading.session->usedPercent, 23);
    const ProviderDisplay display = store.display(Provider::claude, now);
    EXPECT_EQ(display.status, ProviderDisplay::Status::live);
    EXPECT_FALSE(display.failure);
}

}  // namespace
}  // namespace ostrel
