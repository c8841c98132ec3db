#include "readers/ClaudeCliOutput.h"

#include <array>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

const Date now = dateFromSince1970(1772539200);

TEST(ClaudeCliOutput, ReadsTheUsageReportOrSaysWhyNot)
{
    struct Case
    {
        std::string_view name;
        std::string_view out;
        std::string_view err;
        bool timedOut;
        std::expected<std::string, FetchFailure> expected;
    };

    const std::string longText = "x" + std::string(250, 'a') + "\u00e9";
    const std::array cases{
        Case{"a JSON result",
             R"({"is_error":false,"result":"Current week (all models): 3% used"})",
             "",
             false,
             "Current week (all models): 3% used"},
        Case{"an error result that looks signed out",
             R"({"is_error":true,"result":"OAuth token has expired"})",
             "",
             false,
             std::unexpected(FetchFailure::notLoggedIn())},
        Case{"a time-out wins over anything printed",
             R"({"result":"Current week"})",
             "",
             true,
             std::unexpected(FetchFailure::unreachable("`claude /usage` timed out"))},
        Case{"a signed-out standard error in capitals",
             "Welcome",
             "PLEASE RUN /LOGIN",
             false,
             std::unexpected(FetchFailure::notLoggedIn())},
        Case{"only white space",
             " \n",
             "\t\r\n",
             false,
             std::unexpected(FetchFailure::unexpected("`claude /usage` printed nothing"))},
        Case{"long text keeps its last 200 characters whole",
             longText,
             "",
             false,
             std::unexpected(FetchFailure::unexpected(std::string(199, 'a') + "\u00e9"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClaudeCliOutput::usageText(c.out, c.err, c.timedOut), c.expected);
    }
}

ProviderReading statusReading(std::string plan, AccountKind kind, std::string note)
{
    return {.provider = Provider::claude,
            .fetchedAt = now,
            .plan = std::move(plan),
            .kind = kind,
            .note = std::move(note),
            .source = "claude auth status"};
}

TEST(ClaudeCliOutput, GivesAVerdictOnlyForAccountsWithoutAPersonalAllowance)
{
    struct Case
    {
        std::string_view name;
        std::string_view out;
        std::optional<FetchResult> expected;
    };

    const std::array cases{
        Case{"signed out, as the real tool prints it",
             "{\n  \"loggedIn\": false,\n  \"authMethod\": \"none\",\n  \"apiProvider\": \"firstParty\"\n}\n",
             std::unexpected(FetchFailure::notLoggedIn())},
        Case{"a gateway",
             R"({"loggedIn":true,"apiProvider":"gateway"})",
             statusReading("Enterprise", AccountKind::enterprise, "Signed in through your organisation's gateway")},
        Case{"an OAuth token of a team",
             R"({"authMethod":"oauth_token","subscriptionType":"team"})",
             statusReading("Team", AccountKind::enterprise, "Usage is managed by your organisation")},
        Case{"an OAuth token of a pro plan", R"({"authMethod":"oauth_token","subscriptionType":"pro"})", std::nullopt},
        Case{"output cut short", R"({"loggedIn": fal)", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClaudeCliOutput::authVerdict(c.out, now), c.expected);
    }
}

}  // namespace
}  // namespace ostrel
