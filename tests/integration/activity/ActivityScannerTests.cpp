#include "activity/ActivityScanner.h"

#include <sys/stat.h>

#include <fstream>
#include <map>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "activity/ActivityCache.h"
#include "readers/DateParsing.h"
#include "readers/ProcessRunner.h"
#include "support/FileBytes.h"
#include "support/SessionLogs.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using testing::claudeLogLine;
using testing::putLog;
using testing::TemporaryFolder;

constexpr std::string_view generatorEnd = "2026-12-01T12:00:00Z";

[[nodiscard]] Date at(std::string_view iso)
{
    return DateParsing::iso8601(iso).value_or(Date{});
}

/// Runs the session-log generator kept with the fixtures; its expected.json holds the exact totals.
[[nodiscard]] nlohmann::json generate(const fs::path& home)
{
    const auto ran = ProcessRunner::run(fs::path(OSTREL_FIXTURES_DIR) / "gen-session-logs",
                                        {"--home",
                                         home.string(),
                                         "--claude-mb",
                                         "1.5",
                                         "--codex-mb",
                                         "0.8",
                                         "--files",
                                         "10",
                                         "--seed",
                                         "5",
                                         "--end",
                                         std::string(generatorEnd),
                                         "--partial-rate",
                                         "0.5",
                                         "--quiet"},
                                        std::nullopt,
                                        std::nullopt,
                                        std::nullopt,
                                        Seconds{120});
    if (!ran || ran->status != 0) {
        ADD_FAILURE() << "the generator failed: " << (ran ? ran->stderrText() : ran.error().description);
        return {};
    }
    std::ifstream stream(home / "expected.json");
    return nlohmann::json::parse(stream, nullptr, false);
}

[[nodiscard]] std::map<std::int64_t, TokenCounts> expectedBuckets(const nlohmann::json& provider)
{
    std::map<std::int64_t, TokenCounts> buckets;
    for (const auto& [key, counts] : provider.at("buckets").items()) {
        buckets[std::stoll(key)] = {counts.at("cached").get<std::int64_t>(),
                                    counts.at("input").get<std::int64_t>(),
                                    counts.at("output").get<std::int64_t>()};
    }
    return buckets;
}

TEST(ActivityScanner, FindsExactlyTheGeneratedTotalsBucketByBucketAndKeepsItsCachePrivate)
{
    const TemporaryFolder home("ostrel-activity");
    const auto expected = generate(home.path());
    ASSERT_TRUE(expected.is_object());
    const Date now = at(generatorEnd) + Seconds{600};
    const fs::path cache = home.path() / "data" / "activity-cache.json";

    ActivityScanner first(ActivityScanner::Options{cache});
    const auto claude = first.scan(Provider::claude, home.path() / ".claude", now);
    const auto codex = first.scan(Provider::openai, home.path() / ".codex", now);
    EXPECT_EQ(claude.tokens.buckets, expectedBuckets(expected["claude"]));
    EXPECT_EQ(codex.tokens.buckets, expectedBuckets(expected["codex"]));
    EXPECT_EQ(codex.allowance.size(), expected["codex"]["allowance_points"].get<std::size_t>());
    EXPECT_TRUE(std::ranges::is_sorted(codex.allowance, {}, &AllowancePoint::date));
    EXPECT_EQ(claude.scannedAt, now);
    EXPECT_EQ(testing::modeOf(cache), 0600U);
    EXPECT_EQ(testing::modeOf(cache.parent_path()), 0700U);

    // After an append only that log's part of the cache is encoded again: the
    // cache must still be what encoding its state afresh gives, and hold the
    // log as read now, so a scanner starting from it reads nothing.
    fs::path log;
    for (const auto& entry : fs::recursive_directory_iterator(home.path() / ".claude")) {
        log = entry.path().extension() == ".jsonl" ? entry.path() : log;
    }
    putLog(log, claudeLogLine("msg_appended", "2026-12-01T11:00:00Z", 5), now - Seconds{60}, true);
    const auto grown = first.scan(Provider::claude, home.path() / ".claude", now);
    EXPECT_EQ(first.lastReport().filesRead, 1U);
    const auto saved = ActivityCache::load(cache);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(ActivityCache::encode(*saved), testing::contents(cache));
    ActivityScanner second(ActivityScanner::Options{cache});
    EXPECT_EQ(second.scan(Provider::claude, home.path() / ".claude", now).tokens, grown.tokens);
    EXPECT_EQ(second.lastReport().filesRead, 0U);
}

TEST(ActivityScanner, ReadsOnlyAppendedCompleteLinesAndStartsOverWhenAFileShrinks)
{
    const TemporaryFolder home("ostrel-activity");
    const Date now = at("2026-12-01T12:00:00Z");
    const fs::path log = home.path() / ".claude" / "projects" / "p" / "s.jsonl";
    const std::string firstLine = claudeLogLine("msg_A", "2026-12-01T10:00:00Z", 5);
    putLog(log, firstLine, now - Seconds{3600});
    ActivityScanner scanner(ActivityScanner::Options{});
    EXPECT_EQ(scanner.scan(Provider::claude, home.path() / ".claude", now).tokens.total(86400, now),
              (TokenCounts{100, 12, 5}));

    // A line without its newline waits; the bytes before it are not read again.
    const std::string second = claudeLogLine("msg_B", "2026-12-01T10:05:00Z", 7);
    putLog(log, second.substr(0, second.size() - 1), now - Seconds{3500}, true);
    EXPECT_EQ(scanner.scan(Provider::claude, home.path() / ".claude", now).tokens.total(86400, now),
              (TokenCounts{100, 12, 5}));
    EXPECT_EQ(scanner.lastReport().bytesRead, 0U);
    putLog(log, "\n", now - Seconds{3400}, true);
    EXPECT_EQ(scanner.scan(Provider::claude, home.path() / ".claude", now).tokens.total(86400, now),
              (TokenCounts{200, 24, 12}));
    EXPECT_EQ(scanner.lastReport().bytesRead, second.size());

    // Replaced by a shorter file: only what it holds now counts.
    putLog(log, claudeLogLine("msg_C", "2026-12-01T11:00:00Z", 1), now - Seconds{3000});
    EXPECT_EQ(scanner.scan(Provider::claude, home.path() / ".claude", now).tokens.total(86400, now),
              (TokenCounts{100, 12, 1}));
}

TEST(ActivityScanner, ScansEachAccountsFolderOnItsOwnAndForgetsAFolderNoLongerScanned)
{
    const TemporaryFolder home("ostrel-activity");
    const Date now = at("2026-12-01T12:00:00Z");
    const fs::path standard = home.path() / ".claude";
    const fs::path work = home.path() / "work";
    putLog(standard / "projects" / "p" / "a.jsonl",
           claudeLogLine("msg_A", "2026-12-01T10:00:00Z", 5),
           now - Seconds{60});
    putLog(work / "projects" / "p" / "b.jsonl", claudeLogLine("msg_B", "2026-12-01T10:00:00Z", 7), now - Seconds{60});
    const fs::path cache = home.path() / "cache.json";
    ActivityScanner scanner(ActivityScanner::Options{cache});

    // One scanner through a run: each step's scan sees what the previous ones left.
    struct Step
    {
        std::string_view name;
        std::vector<fs::path> folders;
        std::vector<std::int64_t> outputs;  ///< each folder's output tokens, in order
        std::size_t filesRead;
        std::size_t cachedFiles;
    };

    const auto steps = std::to_array<Step>({
        {"two accounts, each its own logs", {standard, work}, {5, 7}, 2, 2},
        {"scanned again, neither account's logs are read again", {standard, work}, {5, 7}, 0, 2},
        {"two accounts naming one folder both count its logs", {standard, standard}, {5, 5}, 0, 1},
        {"a moved folder: the new one's log is read, the old one's forgotten", {work}, {7}, 1, 1},
        {"the forgotten folder back: its log is read afresh", {standard, work}, {5, 7}, 1, 2},
        {"no accounts left", {}, {}, 0, 0},
    });
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        std::vector<std::int64_t> outputs;
        for (const ProviderActivity& activity : scanner.scan(Provider::claude, step.folders, now)) {
            outputs.push_back(activity.tokens.total(86400, now).output);
        }
        EXPECT_EQ(outputs, step.outputs);
        EXPECT_EQ(scanner.lastReport().filesRead, step.filesRead);
        const auto saved = ActivityCache::load(cache);
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->files.size(), step.cachedFiles);
    }
}

TEST(ActivityScanner, ListsRecentVisibleJsonlFiles)
{
    const TemporaryFolder home("ostrel-activity");
    const Date now = at("2026-12-01T12:00:00Z");
    const fs::path projects = home.path() / ".claude" / "projects";
    const std::string line = claudeLogLine("msg_A", "2026-12-01T10:00:00Z", 5);
    putLog(projects / "p" / "counted.jsonl", line, now - Seconds{60});
    putLog(projects / ".hidden" / "skipped.jsonl", line, now - Seconds{60});
    putLog(projects / "p" / ".skipped.jsonl", line, now - Seconds{60});
    putLog(projects / "p" / "skipped.JSONL", line, now - Seconds{60});
    putLog(projects / "p" / "old.jsonl", line, now - Seconds{9 * 86400});

    ActivityScanner scanner(ActivityScanner::Options{});
    EXPECT_EQ(scanner.scan(Provider::claude, home.path() / ".claude", now).tokens.total(86400, now),
              (TokenCounts{100, 12, 5}));
    EXPECT_EQ(scanner.lastReport().filesListed, 1U);
}

TEST(ActivityScanner, IgnoresAndReplacesACacheItCannotUseAndClearsTemporariesLeftByAKill)
{
    struct Case
    {
        std::string_view name;
        std::string_view text;
        bool linked = false;  ///< the cache's place holds a link to a file of the user's with the text
    };

    constexpr auto cases = std::to_array<Case>({
        {"A cache of another version", R"({"version":1,"files":{}})"},
        {"A link to a file of the user's", "notes of the user's", true},
    });
    const Date now = at("2026-12-01T12:00:00Z");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TemporaryFolder home("ostrel-activity");
        putLog(home.path() / ".claude" / "projects" / "p" / "s.jsonl",
               claudeLogLine("msg_A", "2026-12-01T10:00:00Z", 5),
               now - Seconds{60});
        const fs::path cache = home.path() / "cache.json";
        const fs::path notes = home.path() / "notes.txt";
        putLog(c.linked ? notes : cache, c.text, now);
        if (c.linked) {
            fs::create_symlink(notes, cache);
        }
        const fs::path leftover = home.path() / ".cache.json.a1B2c3";
        putLog(leftover, "{\"version\":2", now);
        ActivityScanner scanner(ActivityScanner::Options{cache});
        EXPECT_EQ(scanner.scan(Provider::claude, home.path() / ".claude", now).tokens.total(86400, now),
                  (TokenCounts{100, 12, 5}));
        EXPECT_TRUE(scanner.lastReport().cacheSaved);
        EXPECT_FALSE(fs::exists(leftover));
        const auto saved = ActivityCache::load(cache);
        ASSERT_TRUE(saved.has_value());
        EXPECT_EQ(saved->version, 2);
        EXPECT_EQ(saved->files.size(), 1U);
        EXPECT_FALSE(fs::is_symlink(cache));
        EXPECT_TRUE(!c.linked || testing::contents(notes) == c.text) << "the link's target was written";
    }
}

}  // namespace
}  // namespace ostrel
