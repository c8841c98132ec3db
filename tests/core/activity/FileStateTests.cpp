#include "activity/FileState.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "posix/ReadOnlyFile.h"
#include "readers/DateParsing.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

[[nodiscard]] Date at(std::string_view iso)
{
    return DateParsing::iso8601(iso).value_or(Date{});
}

[[nodiscard]] std::string claude(std::string_view id, std::string_view time, std::int64_t cached, std::int64_t output)
{
    return R"({"message":{"id":")" + std::string(id) + R"(","usage":{"input_tokens":1,"cache_read_input_tokens":)"
           + std::to_string(cached) + R"(,"output_tokens":)" + std::to_string(output)
           + R"(}},"requestId":"req_1","timestamp":"2026-12-01T)" + std::string(time) + "Z\"}";
}

[[nodiscard]] std::string codex(std::string_view time, std::string_view payload)
{
    return R"({"timestamp":"2026-12-01T)" + std::string(time)
           + R"(Z","type":"event_msg","payload":{"type":"token_count",)" + std::string(payload) + "}}";
}

[[nodiscard]] std::string usage(std::int64_t total, std::int64_t input)
{
    return R"("info":{"total_token_usage":{"total_tokens":)" + std::to_string(total)
           + R"(},"last_token_usage":{"input_tokens":)" + std::to_string(input)
           + R"(,"cached_input_tokens":5,"output_tokens":2}})";
}

TEST(FileState, CountsARunOfClaudeRepeatsOnceAtItsLargestFigures)
{
    FileState file;
    for (const auto& line : {claude("msg_A", "10:00:00", 100, 3),
                             claude("msg_A", "10:00:01", 100, 1),    // a smaller partial count adds nothing
                             claude("msg_A", "10:00:02", 100, 250),  // the final count adds what grew
                             claude("msg_B", "10:00:03", 50, 4),
                             claude("msg_A", "10:00:04", 100, 250)}) {  // back after another response: counted again
        file.ingestClaude(line);
    }
    EXPECT_EQ(file.tokens.total(86400, at("2026-12-01T11:00:00Z")), (TokenCounts{250, 3, 504}));
    EXPECT_EQ(file.lastKey, "msg_A:req_1");
    EXPECT_EQ(file.lastCounts, (TokenCounts{100, 1, 250}));
}

TEST(FileState, CountsCodexUsageOnceForEachNewCumulativeTotal)
{
    FileState file;
    file.ingestCodex(codex("10:00:00", usage(100, 40)));
    file.ingestCodex(codex("10:00:01", usage(100, 40)));  // re-emitted, total unchanged
    file.ingestCodex(codex("10:00:02", usage(180, 60)));
    file.ingestCodex(codex("10:00:03", R"("info":null)"));
    file.ingestCodex(R"({"timestamp":"never","payload":{)" + usage(300, 1000) + "}}");
    file.ingestCodex("[1,2]");
    EXPECT_EQ(file.tokens.total(86400, at("2026-12-01T11:00:00Z")), (TokenCounts{10, 90, 4}));
    EXPECT_EQ(file.lastKey, "180");
}

TEST(FileState, SplitsCodexInputIntoCachedAndFreshAndRejectsFiguresOutOfRange)
{
    struct Case
    {
        std::string_view name;
        std::string_view usage;
        std::optional<TokenCounts> counts;
    };

    constexpr auto cases = std::to_array<Case>({
        {"Cached within input",
         R"({"input_tokens":1000,"cached_input_tokens":600,"output_tokens":9})",
         {{600, 400, 9}}},
        {"More cached than input", R"({"input_tokens":1000,"cached_input_tokens":1500})", {{1000, 0, 0}}},
        {"A figure of 2^63 is malformed", R"({"input_tokens":9223372036854775807,"output_tokens":1})", std::nullopt},
        {"Input and output that do not fit together are malformed",
         R"({"input_tokens":9000000000000000000,"output_tokens":9000000000000000000})",
         std::nullopt},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileState::codexCounts(nlohmann::json::parse(c.usage)), c.counts);
    }
}

TEST(FileState, NeverWrapsWhenSummingHugeClaudeCounts)
{
    constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();
    FileState file;
    // A cache of an older version, or a hostile one, may hold any figures at all.
    file.lastKey = "msg_A:req_1";
    file.lastCounts = TokenCounts{std::numeric_limits<std::int64_t>::min(), 0, 0};
    file.ingestClaude(claude("msg_A", "10:00:00", most - 1, 0));
    file.ingestClaude(claude("msg_B", "10:00:01", most - 1, 0));
    const TokenCounts total = file.tokens.total(86400, at("2026-12-01T11:00:00Z"));
    EXPECT_EQ(total, (TokenCounts{most, 2, 0}));
    EXPECT_EQ(total.total(), most);
}

TEST(FileState, KeepsOneWeeklyAllowancePointPerTenMinutes)
{
    struct Case
    {
        std::string_view name;
        std::vector<std::string> lines;
        std::vector<AllowancePoint> points;
    };

    const auto limits = [](std::string_view time, std::string_view body) {
        return codex(time, R"("info":null,"rate_limits":)" + std::string(body));
    };
    constexpr std::string_view weekly =
        R"({"primary":{"used_percent":9,"window_minutes":300},"secondary":{"used_percent":41.5,"window_minutes":10080,"resets_at":1796000000}})";
    const Date resets = dateFromSince1970(1796000000);
    const auto cases = std::to_array<Case>({
        {"The secondary window is the weekly one",
         {limits("10:00:00", weekly)},
         {{at("2026-12-01T10:00:00Z"), 41.5, resets}}},
        {"Two in one bucket leave the later",
         {limits("10:00:00", weekly),
          limits("10:09:00", R"({"primary":{"used_percent":"43","window_minutes":"10080"}})")},
         {{at("2026-12-01T10:09:00Z"), 43, std::nullopt}}},
        {"Another product's limits count for nothing",
         {limits("10:00:00", R"({"limit_id":"codex_other","secondary":{"used_percent":4,"window_minutes":10080}})")},
         {}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileState file;
        for (const auto& line : c.lines) {
            file.ingestCodex(line);
        }
        EXPECT_EQ(file.allowance, c.points);
    }
}

TEST(FileState, ReadsWhatALogHoldsEvenWhenItChangesWhileOpen)
{
    // The middle line is longer than one read, so it spans reads and grows the buffer.
    const std::string first = claude("msg_A", "10:00:00", 100, 3) + "\n";
    const std::string longLine = R"({"message":{"id":"msg_B","content":")" + std::string(std::size_t{3} << 20, 'x')
                                 + R"(","usage":{"output_tokens":20}},"timestamp":"2026-12-01T10:00:01Z"})" + "\n";
    const std::string last = claude("msg_C", "10:00:02", 0, 7) + "\n";
    const std::string whole = first + longLine + last;

    struct Case
    {
        std::string_view name;
        std::optional<std::size_t> truncatedTo;  ///< after opening, before reading
        std::uint64_t consumed;
        TokenCounts counts;
    };

    const auto cases = std::to_array<Case>({
        {"an unchanged log", std::nullopt, whole.size(), {100, 2, 30}},
        {"a log truncated inside a line longer than one read", first.size() + 5000, first.size(), {100, 1, 3}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder folder;
        const auto path = folder.path() / "log.jsonl";
        std::ofstream(path, std::ios::binary) << whole;
        const auto opened = posix::ReadOnlyFile::open(path);
        ASSERT_TRUE(opened.has_value());
        if (c.truncatedTo) {
            std::filesystem::resize_file(path, *c.truncatedTo);
        }

        FileState file;
        std::vector<char> buffer;
        EXPECT_EQ(file.read(*opened, Provider::claude, buffer), c.consumed);
        EXPECT_EQ(file.offset, c.consumed);
        EXPECT_EQ(file.tokens.total(86400, at("2026-12-01T11:00:00Z")), c.counts);
    }
}

}  // namespace
}  // namespace ostrel
