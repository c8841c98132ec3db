#include "activity/LogLines.h"

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "readers/DateParsing.h"

namespace ostrel {
namespace {

constexpr std::string_view stamp = R"("timestamp":"2026-12-01T10:00:00.000Z")";

TEST(LogLines, FindsTheFilterPatternAtEveryPlaceInLinesOfEveryLength)
{
    // The search runs sixteen bytes at a time with a tail: every start and end position must count.
    for (std::size_t length = 0; length < 60; ++length) {
        for (std::size_t at = 0; at + LogLines::claudeFilter.size() <= length; ++at) {
            std::string line(length, '"');
            line.replace(at, LogLines::claudeFilter.size(), LogLines::claudeFilter);
            EXPECT_TRUE(LogLines::passes(LogLines::claudeFilter, line)) << "length " << length << ", at " << at;
            line[at + LogLines::claudeFilter.size() - 1] = 'x';
            EXPECT_FALSE(LogLines::passes(LogLines::claudeFilter, line)) << "length " << length << ", at " << at;
        }
    }
}

/// A log line with the given message object, stamped at ten o'clock.
[[nodiscard]] std::string stamped(std::string_view message)
{
    return R"({"message":)" + std::string(message) + "," + std::string(stamp) + "}";
}

TEST(LogLines, ReadsTheCountsTimeAndKeyOfClaudeLines)
{
    struct Case
    {
        std::string_view name;
        std::string line;
        std::optional<TokenCounts> counts;
        std::optional<std::string> key;
    };

    const std::string usage =
        R"("usage":{"input_tokens":3,"cache_creation_input_tokens":10,"cache_read_input_tokens":100,"output_tokens":7})";
    const TokenCounts counts{100, 13, 7};
    const auto cases = std::to_array<Case>({
        {"A whole response line",
         R"({"message":{"id":"msg_01A",)" + usage + R"(},"requestId":"req_9",)" + std::string(stamp) + "}",
         counts,
         "msg_01A:req_9"},
        {"A tool input object named usage before the real one",
         stamped(R"({"id":"msg_01A","content":[{"input":{"usage":{"output_tokens":4242}}}],)" + usage + "}"),
         counts,
         "msg_01A:"},
        {"All-zero usage gives nothing", stamped(R"({"id":"m","usage":{"input_tokens":0}})"), {}, {}},
        {"An unreadable timestamp gives nothing",
         R"({"message":{"id":"msg_01A",)" + usage + R"(},"timestamp":"yesterday"})",
         {},
         {}},
        {"Counts that fit alone but not together are malformed",
         stamped(R"({"id":"m","usage":{"input_tokens":9223372036854775807,"output_tokens":1}})"),
         {},
         {}},
        {"A count beyond 64 bits is malformed, not zero",
         stamped(R"({"id":"m","usage":{"input_tokens":99999999999999999999,"output_tokens":5}})"),
         {},
         {}},
        {"No message id gives no key", R"({"toolUseResult":{)" + usage + "}," + std::string(stamp) + "}", counts, {}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto event = LogLines::claudeUsage(c.line);
        ASSERT_EQ(event.has_value(), c.counts.has_value());
        if (!event) {
            continue;
        }
        EXPECT_EQ(event->counts, *c.counts);
        EXPECT_EQ(event->date, DateParsing::iso8601("2026-12-01T10:00:00.000Z"));
        ASSERT_EQ(event->key.has_value(), c.key.has_value());
        if (event->key) {
            EXPECT_EQ(event->key->text(), *c.key);
        }
    }
}

}  // namespace
}  // namespace ostrel
