// Claude Code's status line as a source of Claude's reading: the app runs with
// an endpoint that turns every request away, `ostrel --statusline` is fed what
// Claude Code gives it once, and the store takes those figures as a live reading.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "model/ProviderDisplay.h"
#include "readers/ClaudeFetcher.h"
#include "readers/ClaudeStatusLine.h"
#include "readers/ProcessRunner.h"
#include "readers/ToolLocator.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/LocalHttpsServer.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

[[nodiscard]] Date wallNow()
{
    return std::chrono::time_point_cast<Seconds>(std::chrono::system_clock::now());
}

TEST(StatusLineReading, TakesClaudeCodesFiguresWhileTheEndpointTurnsTheAppAway)
{
    const testing::LocalHttpsServer server;
    const testing::TemporaryFolder home;
    const fs::path data = home.path() / "data";
    fs::create_directories(home.path() / ".claude");
    const auto expires = static_cast<std::int64_t>(secondsSince1970(wallNow()) + 3600) * 1000;
    std::ofstream(home.path() / ".claude/.credentials.json")
        << R"({"claudeAiOauth":{"accessToken":"t","subscriptionType":"max","expiresAt":)" << expires << "}}";

    // No claude on this PATH: after the endpoint's refusal nothing else is tried.
    ToolLocator locator(ToolLocator::System{.home = home.path().string(),
                                            .variables = {{"HOME", home.path().string()}, {"PATH", "/nonexistent"}},
                                            .fallbackShell = "/nonexistent"});
    UsageReaders readers;
    readers.read = [&](Provider provider, const std::optional<std::string>&, Date now) -> FetchResult {
        if (provider != Provider::claude) {
            return std::unexpected(FetchFailure::cliMissing());
        }
        ClaudeFetcher::Options options;
        options.home = home.path();
        options.endpoint = {server.url("/status/429"), server.caBundle(), Seconds{5}};
        options.keyringTool = (home.path() / "no-keyring").string();
        options.locator = &locator;
        return ClaudeFetcher(options).fetch(now);
    };
    readers.scan = [](Provider, Date) {
        return ProviderActivity{};
    };
    readers.locate = [](const UsageReaders::Overrides&) {
        return UsageReaders::Paths{};
    };
    readers.stop = [] {
    };
    testing::TempSettings settings;
    UsageStore store(settings.settings, {.dataFolder = data / "Ostrel", .readers = readers});
    store.start();
    const auto claude = [&] {
        const auto found = store.snapshots().find(Provider::claude);
        return found == store.snapshots().end() ? ProviderSnapshot{} : found->second;
    };
    ASSERT_TRUE(testing::spinUntil([&] { return claude().lastFailure.has_value(); }, 20s));
    EXPECT_EQ(store.display(Provider::claude, wallNow()).status, ProviderDisplay::Status::unavailable);

    const auto renews = static_cast<std::int64_t>(secondsSince1970(wallNow())) + 200000;
    const std::string input = R"({"rate_limits":{"five_hour":{"used_percentage":23,"resets_at":)"
                              + std::to_string(renews - 190000) + R"(},"seven_day":{"used_percentage":41,"resets_at":)"
                              + std::to_string(renews) + "}}}";
    const auto fed =
        ProcessRunner::run(fs::path(OSTREL_BINARY_DIR) / "Ostrel" / "ostrel",
                           {"--statusline"},
                           std::map<std::string, std::string>{{"HOME", home.path().string()},
                                                              {"XDG_DATA_HOME", data.string()},
                                                              {"XDG_CONFIG_HOME", (home.path() / "config").string()},
                                                              {"PATH", "/usr/bin:/bin"}},
                           home.path(),
                           input,
                           Seconds{30});
    ASSERT_TRUE(fed && fed->status == 0);

    ASSERT_TRUE(testing::spinUntil(
        [&] { return claude().lastReading && claude().lastReading->source == ClaudeStatusLine::source; },
        10s));
    const ProviderSnapshot taken = claude();
    const ProviderReading& reading = *taken.lastReading;
    EXPECT_EQ(reading.weekly, (UsageWindow{41, dateFromSince1970(static_cast<double>(renews))}));
    EXPECT_EQ(reading.session->usedPercent, 23);
    const ProviderDisplay display = store.display(Provider::claude, wallNow());
    EXPECT_EQ(display.status, ProviderDisplay::Status::live);
    EXPECT_FALSE(display.failure);
}

}  // namespace
}  // namespace ostrel
