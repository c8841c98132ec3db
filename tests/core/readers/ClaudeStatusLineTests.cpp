#include "readers/ClaudeStatusLine.h"

#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "support/FileBytes.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

const Date now = dateFromSince1970(1796656400);
const Date weekRenews = now + Seconds{200000};
const Date sessionRenews = now + Seconds{7200};

[[nodiscard]] std::string input(std::string_view rateLimits)
{
    return R"({"session_id":"x","model":{"id":"m"},"workspace":{"current_dir":"/p"},"rate_limits":)"
           + std::string(rateLimits) + "}";
}

TEST(ClaudeStatusLine, ReadsTheWeeklyAndSessionWindowsOfClaudeCodesInput)
{
    const std::string week = std::to_string(static_cast<std::int64_t>(secondsSince1970(weekRenews)));
    const std::string session = std::to_string(static_cast<std::int64_t>(secondsSince1970(sessionRenews)));
    const UsageWindow weekly{41.5, weekRenews, UsageWindow::week};
    const UsageWindow fiveHour{23, sessionRenews, UsageWindow::fiveHours};

    struct Case
    {
        std::string_view name;
        std::string text;
        std::optional<ClaudeStatusLine::Figures> expected;
    };

    const auto cases = std::to_array<Case>({
        {"both windows",
         input(R"({"five_hour":{"used_percentage":23,"resets_at":)" + session
               + R"(},"seven_day":{"used_percentage":41.5,"resets_at":)" + week + "}}"),
         ClaudeStatusLine::Figures{now, weekly, fiveHour}},
        {"a renewal beyond any window is dropped",
         input(R"({"seven_day":{"used_percentage":41.5,"resets_at":99999999999}})"),
         ClaudeStatusLine::Figures{now, {41.5, std::nullopt, UsageWindow::week}, std::nullopt}},
        {"session only", input(R"({"five_hour":{"used_percentage":23,"resets_at":)" + session + "}}"), std::nullopt},
        {"no rate limits (an API key, or an older Claude Code)", R"({"session_id":"x","cost":{}})", std::nullopt},
        {"empty", "", std::nullopt},
        {"not JSON", "\x01\xff{{{ garbage", std::nullopt},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClaudeStatusLine::fromInput(c.text, now), c.expected);
    }
}

TEST(ClaudeStatusLine, LeavesAPrivateDropThatReadsBackTheSame)
{
    const testing::TemporaryFolder home;
    const auto folder = home.path() / "data" / "Ostrel";
    const ClaudeStatusLine::Figures figures{now,
                                            {41.5, weekRenews},
                                            UsageWindow{23, sessionRenews, UsageWindow::fiveHours}};
    ASSERT_TRUE(ClaudeStatusLine::leave(folder, figures));
    EXPECT_EQ(ClaudeStatusLine::pickUp(folder), figures);
    EXPECT_EQ(testing::modeOf(folder / ClaudeStatusLine::dropFileName), 0600U);
    EXPECT_EQ(testing::modeOf(folder), 0700U);
    EXPECT_EQ(ClaudeStatusLine::decode("{\"receivedAt\":1}"), std::nullopt);
}

TEST(ClaudeStatusLine, TheAccountIsTheOneWhoseFolderClaudeCodeRunsWithAndNamesItsDrop)
{
    const testing::TemporaryFolder home;
    std::filesystem::create_directories(home.path() / ".claude-work");
    std::filesystem::create_directory_symlink(home.path() / ".claude-work", home.path() / "work-link");
    const std::string root = home.path().string();
    const auto accounts = std::to_array<ToolAccount>(
        {{.provider = Provider::claude},
         {.provider = Provider::claude, .id = "work", .name = "Work", .folder = home.path() / ".claude-work"},
         {.provider = Provider::claude, .id = "spare", .name = "Spare", .folder = "~/.claude-spare/"}});

    struct Case
    {
        std::optional<std::string_view> configFolder;
        std::string_view account;
        std::string_view drop;  ///< beside the readings file
    };

    // Spare's folder does not exist, so it is compared as written once resolved.
    const auto cases = std::to_array<Case>({
        {std::nullopt, "", "claude-status-line.json"},
        {"~/.claude-work/", "work", "claude-status-line-work.json"},
        {"~/work-link", "work", "claude-status-line-work.json"},
        {"~/.claude-spare", "spare", "claude-status-line-spare.json"},
        {".claude-work", "", "claude-status-line.json"},
        {"~/.claude-other", "", "claude-status-line.json"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.configFolder.value_or("unset"));
        EXPECT_EQ(ClaudeStatusLine::accountOf(accounts, c.configFolder, root), c.account);
        EXPECT_EQ(ClaudeStatusLine::dropName(c.account), c.drop);
        EXPECT_EQ(ClaudeStatusLine::dropAccount(c.drop), c.account);
    }
    for (const std::string_view other : {"readings.json", "claude-status-line-.json", "claude-status-line-Work.json"}) {
        EXPECT_EQ(ClaudeStatusLine::dropAccount(other), std::nullopt) << other;
    }
}

TEST(ClaudeStatusLine, FoldsFreshFiguresUnlessAFreshReadingOfClaudesOwnStands)
{
    constexpr double interval = 900;
    const ClaudeStatusLine::Figures figures{now, {41.5, weekRenews}, std::nullopt};

    struct Last
    {
        std::string_view source;
        double age;
        double used = 41.5;
        bool failedSince = false;
    };

    struct Case
    {
        std::string_view name;
        std::optional<Last> last;
        bool folds;
    };

    const auto cases = std::to_array<Case>({
        {"nothing read yet", std::nullopt, true},
        {"the endpoint read a minute ago", Last{"usage API", 60}, false},
        {"the endpoint read a minute ago, then failed", Last{"usage API", 60, 41.5, true}, true},
        {"the same figures from the status line a minute ago", Last{ClaudeStatusLine::source, 60}, false},
        {"the same figures a minute ago, then the endpoint failed",
         Last{ClaudeStatusLine::source, 60, 41.5, true},
         true},
        {"new figures from the status line a minute ago", Last{ClaudeStatusLine::source, 60, 40}, true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Saved saved;
        const Date attempted = now - Seconds{30};
        if (c.last) {
            ProviderReading last{.provider = Provider::claude,
                                 .fetchedAt = now - Seconds{c.last->age},
                                 .plan = "Max",
                                 .weekly = UsageWindow{c.last->used, weekRenews},
                                 .resetCredits = {ResetCredit{"one", now + Seconds{86400}}},
                                 .source = std::string(c.last->source)};
            ReadingsFile::record(saved, Provider::claude, last, last.fetchedAt);
            if (c.last->failedSince) {
                ReadingsFile::record(saved,
                                     Provider::claude,
                                     std::unexpected(FetchFailure::unreachable("HTTP 429")),
                                     attempted);
            }
        }
        const Saved before = saved;
        EXPECT_EQ(ClaudeStatusLine::fold(saved, figures, interval), c.folds);
        if (!c.folds) {
            EXPECT_EQ(saved, before);
            continue;
        }
        const ProviderSnapshot& snapshot = saved.snapshots.at(Provider::claude);
        ASSERT_TRUE(snapshot.lastReading);
        EXPECT_EQ(snapshot.lastReading->source, ClaudeStatusLine::source);
        EXPECT_EQ(snapshot.lastReading->weekly, figures.weekly);
        EXPECT_FALSE(snapshot.lastFailure);
        // What only a full reading knows stays; the readers' schedule is untouched.
        EXPECT_EQ(snapshot.lastReading->plan, c.last ? std::optional<std::string>("Max") : std::nullopt);
        EXPECT_EQ(snapshot.lastReading->resetCredits.size(), c.last ? 1U : 0U);
        EXPECT_EQ(snapshot.lastAttemptAt,
                  before.snapshots.contains(Provider::claude) ? before.snapshots.at(Provider::claude).lastAttemptAt
                                                              : std::nullopt);
        EXPECT_EQ(saved.history.at(Provider::claude).back().date, now);
    }
}

}  // namespace
}  // namespace ostrel
