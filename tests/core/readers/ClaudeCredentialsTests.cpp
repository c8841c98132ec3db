#include "readers/ClaudeCredentials.h"

#include <array>
#include <ostream>

#include <gtest/gtest.h>

namespace ostrel {

// Keeps the token out of test logs when an expectation fails.
void PrintTo(const ClaudeCredentials& credentials, std::ostream* out)
{
    *out << "credentials with a token of " << credentials.accessToken.size() << " bytes";
}

namespace {

TEST(ClaudeCredentials, ReadsTheTokenExpiryAndPlanOfTheStoredForm)
{
    struct Case
    {
        std::string_view name;
        std::string_view bytes;
        std::optional<ClaudeCredentials> expected;
    };

    const std::array cases{
        Case{"every member",
             R"({"claudeAiOauth":{"accessToken":"tok","expiresAt":1772539200500,"subscriptionType":"max",)"
             R"("rateLimitTier":"default_claude_max_20x"}})",
             ClaudeCredentials{"tok", dateFromSince1970(1772539200.5), {"max", "default_claude_max_20x"}, {"tok"}}},
        Case{"every token is a secret",
             R"({"claudeAiOauth":{"accessToken":"tok","refreshToken":"ref","scopes":["user:inference"]},)"
             R"("mcpOAuth":{"server":{"accessToken":"mcp"}}})",
             ClaudeCredentials{"tok", std::nullopt, {}, {"mcp", "ref", "tok"}}},
        Case{"an expiry of another type counts as none",
             R"({"claudeAiOauth":{"accessToken":"tok","expiresAt":{},"subscriptionType":7}})",
             ClaudeCredentials{"tok", std::nullopt, {}, {"tok"}}},
        Case{"an empty token", R"({"claudeAiOauth":{"accessToken":""}})", std::nullopt},
        Case{"a keyring answer that is no JSON", "secret-tool: No such secret\n", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClaudeCredentials::parse(c.bytes), c.expected);
    }
}

TEST(ClaudeCredentials, IsFreshUntilTwoMinutesBeforeItsExpiry)
{
    const Date now = dateFromSince1970(1000);
    EXPECT_TRUE((ClaudeCredentials{"tok", std::nullopt, {}}.isFresh(now)));
    EXPECT_TRUE((ClaudeCredentials{"tok", dateFromSince1970(1600), {}}.isFresh(now)));
    EXPECT_FALSE((ClaudeCredentials{"tok", dateFromSince1970(1120), {}}.isFresh(now)));
}

}  // namespace
}  // namespace ostrel
