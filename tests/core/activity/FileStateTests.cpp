#include "activity/FileState.h"

#include <array>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "readers/DateParsing.h"

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

TEST(FileState, TakesARepeatAsCountedWhenAnOlderCacheKeptNoFigures)
{
    FileState file;
    file.lastKey = "msg_A:req_1";
    file.ingestClaude(claude("msg_A", "10:00:00", 100, 3));
    file.ingestClaude(claude("msg_A", "10:00:01", 100, 9));
    EXPECT_EQ(file.tokens.total(86400, at("2026-12-01T11:00:00Z")), (TokenCounts{0, 0, 6}));
}

TEST(FileState, ConsumesCompleteLinesOnlyAndLeavesAPartialLastLine)
{
    FileState file;
    const std::string first = claude("msg_A", "10:00:00", 100, 3) + "\n";
    const std::string partial = claude("msg_B", "10:00:01", 100, 3);
    EXPECT_EQ(file.consume(first + "not json\n" + partial, Provider::claude), first.size() + 9);
    EXPECT_EQ(file.offset, first.size() + 9);
    EXPECT_EQ(file.tokens.total(86400, at("2026-12-01T11:00:00Z")), (TokenCounts{100, 1, 3}));
    EXPECT_EQ(file.consume(partial, Provider::claude), 0U);
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

TEST(FileState, SplitsCodexInputIntoCachedAndFresh)
{
    struct Case
    {
        std::string_view name;
        std::string_view usage;
        TokenCounts counts;
    };

    constexpr auto cases = std::to_array<Case>({
        {"Cached within input", R"({"input_tokens":1000,"cached_input_tokens":600,"output_tokens":9})", {600, 400, 9}},
        {"More cached than input", R"({"input_tokens":1000,"cached_input_tokens":1500})", {1000, 0, 0}},
        {"Only a total", R"({"input_tokens":0,"output_tokens":0,"total_tokens":500})", {0, 500, 0}},
        {"Numbers as text", R"({"input_tokens":"70","output_tokens":"3.9"})", {0, 70, 3}},
        {"Nothing known", R"({"input_tokens":null})", {0, 0, 0}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FileState::codexCounts(nlohmann::json::parse(c.usage)), c.counts);
    }
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
        {"Across a bucket boundary both stay",
         {limits("10:09:00", weekly), limits("10:10:00", weekly)},
         {{at("2026-12-01T10:09:00Z"), 41.5, resets}, {at("2026-12-01T10:10:00Z"), 41.5, resets}}},
        {"Another product's limits count for nothing",
         {limits("10:00:00", R"({"limit_id":"codex_other","secondary":{"used_percent":4,"window_minutes":10080}})")},
         {}},
        {"A week reported as 10079 minutes",
         {limits("10:00:00", R"({"limit_id":"codex","secondary":{"used_percent":7,"window_minutes":10079}})")},
         {{at("2026-12-01T10:00:00Z"), 7, std::nullopt}}},
        {"A five-hour window only", {limits("10:00:00", R"({"primary":{"used_percent":7,"window_minutes":299}})")}, {}},
        {"Renewal given as seconds from the line's time",
         {limits("10:00:00", R"({"secondary":{"used_percent":7,"window_minutes":10080,"resets_in_seconds":3600}})")},
         {{at("2026-12-01T10:00:00Z"), 7, at("2026-12-01T11:00:00Z")}}},
        {"No used percentage", {limits("10:00:00", R"({"secondary":{"window_minutes":10080}})")}, {}},
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

TEST(FileState, LeavesItselfUnchangedWhenTheFileCannotBeRead)
{
    FileState file;
    file.offset = 12;
    EXPECT_FALSE(file.read("/nonexistent/ostrel/log.jsonl", Provider::claude).has_value());
    EXPECT_FALSE(file.read("/", Provider::claude).has_value());
    EXPECT_EQ(file, FileState{.offset = 12});
}

}  // namespace
}  // namespace ostrel
