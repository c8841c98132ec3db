#include "activity/CodexLine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(CodexLine, ReadsOnlyTheMembersAtTheirOwnPlaces)
{
    const auto fields = CodexLine::read(
        R"({"timestamp":"2026-12-01T10:00:00Z","payload":{"type":"token_count","other":{"info":{"total_token_usage":{"total_tokens":1}}},)"
        R"("info":{"total_token_usage":{"total_tokens":"180"},"last_token_usage":{"input_tokens":60,"cached_input_tokens":5.5,"output_tokens":true}},)"
        R"("rate_limits":{"limit_id":"codex","primary":[{"window_minutes":10080}],"secondary":{"used_percent":41,"window_minutes":10080,"resets_at":null}}}})");
    ASSERT_TRUE(fields.has_value());
    const CodexLine::Fields f = fields.value_or(CodexLine::Fields{});
    EXPECT_EQ(f.timestamp, "2026-12-01T10:00:00Z");
    EXPECT_TRUE(f.payloadIsObject && f.infoIsObject && f.limitsIsObject);
    EXPECT_EQ(f.totalUsage.total, 180);
    EXPECT_EQ(f.lastUsage.input, 60);
    EXPECT_EQ(f.lastUsage.cached, 5.5);
    EXPECT_EQ(f.lastUsage.output, 1);
    EXPECT_EQ(f.limitId, "codex");
    EXPECT_FALSE(f.primary.isObject);
    EXPECT_EQ(f.secondary.minutes, 10080);
    EXPECT_EQ(f.secondary.usedPercent, 41);
    EXPECT_EQ(f.secondary.resetsAt, std::nullopt);
}

TEST(CodexLine, RefusesLinesThatAreNotOneJsonObject)
{
    for (const std::string_view line : {"",
                                        "[1,2]",
                                        "\"text\"",
                                        R"({"payload":{})",
                                        R"({"a":1} {"b":2})",
                                        "{\"a\":\"\xff\"}",
                                        R"({"a":[1e400]})",
                                        R"({"a":"\udc00"})",
                                        "{\"a\":\"\xc0\xaf\"}",
                                        R"({"a":1,})",
                                        R"({"a":01})"}) {
        SCOPED_TRACE(line);
        EXPECT_EQ(CodexLine::read(line).has_value(), false);
    }
}

}  // namespace
}  // namespace ostrel
