// Claude Code's status line as a source of Claude's reading: while Claude's own
// reader fails, the running store takes the figures `ostrel --statusline` leaves
// in its data folder as a live reading.

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "model/ProviderDisplay.h"
#include "model/ReadingsFile.h"
#include "readers/ClaudeStatusLine.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
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

TEST(StatusLineReading, EachDropIsFoldedIntoItsOwnAccountAndOneOfNoAccountIsDropped)
{
    const testing::TemporaryFolder data;
    testing::TempSettings settings;
    ASSERT_TRUE(settings.settings.addAccount(Provider::claude, "Work", data.path() / "claude-work"));
    UsageStore store(settings.settings, testing::optionsFor(std::make_shared<testing::Script>(), data.path()));
    store.start();
    const auto statusLineUse = [&](const std::string& id) -> std::optional<double> {
        const ProviderSnapshot* snapshot = ReadingsFile::snapshotOf(store.saved(), {Provider::claude, id});
        if (snapshot == nullptr || !snapshot->lastReading
            || snapshot->lastReading->source != ClaudeStatusLine::source) {
            return std::nullopt;
        }
        return snapshot->lastReading->weekly->usedPercent;
    };

    struct Row
    {
        std::string account;
        double used;
    };

    // "gone" is no account in the settings (one removed since its drop was left): its figures go nowhere.
    const auto rows = std::to_array<Row>({{"gone", 10}, {"work", 41}, {"", 23}, {"work", 44}});
    std::map<std::string, double> expected;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const Row& row = rows[index];
        SCOPED_TRACE(row.account + " " + std::to_string(row.used));
        const ClaudeStatusLine::Figures figures{.receivedAt = start + Seconds{60 + (60 * static_cast<int>(index))},
                                                .weekly = UsageWindow{row.used, start + Seconds{200000}},
                                                .session = std::nullopt};
        ASSERT_TRUE(ClaudeStatusLine::leave(data.path(), figures, row.account).has_value());
        if (row.account != "gone") {
            expected[row.account] = row.used;
            ASSERT_TRUE(testing::spinUntil([&] { return statusLineUse(row.account) == row.used; }));
        }
        for (const std::string id : {"", "work", "gone"}) {
            const auto found = expected.find(id);
            EXPECT_EQ(statusLineUse(id), found == expected.end() ? std::nullopt : std::optional(found->second)) << id;
        }
    }

    // Removed, the account's drop goes with it (and the one of no account): added again, it starts afresh.
    ASSERT_TRUE(settings.settings.removeAccount(Provider::claude, "work"));
    store.followAccounts(Provider::claude);
    EXPECT_TRUE(fs::exists(data.path() / ClaudeStatusLine::dropName("")));
    EXPECT_FALSE(fs::exists(data.path() / ClaudeStatusLine::dropName("work")));
    EXPECT_FALSE(fs::exists(data.path() / ClaudeStatusLine::dropName("gone")));
    ASSERT_TRUE(settings.settings.addAccount(Provider::claude, "Work", data.path() / "claude-work"));
    store.followAccounts(Provider::claude);
    testing::spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(statusLineUse("work"), std::nullopt);
}

}  // namespace
}  // namespace ostrel
