#include "readers/CodexUsageParser.h"

#include <array>
#include <string_view>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/Matchers.h"

namespace ostrel {
namespace {

using nlohmann::json;
using testing::FailsWith;

const Date now = dateFromSince1970(1'800'000'000);

[[nodiscard]] FetchResult parseTexts(std::string_view account, std::string_view limits)
{
    const json accountJson = json::parse(account);
    const json limitsJson = json::parse(limits);
    return CodexUsageParser::parse(&accountJson, &limitsJson, std::nullopt, now);
}

TEST(CodexUsageParser, ChoosesTheWeeklyAndSessionWindowsByDuration)
{
    const auto result = parseTexts(R"({"account":{"type":"chatgpt","planType":"ProLite"}})",
                                   R"({"rateLimits":{"primary":{"usedPercent":"12.5","windowDurationMins":300},
                                       "secondary":{"usedPercent":40,"windowDurationMins":10080,"resetsAt":1800000500}}})");
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->plan, "Pro Lite");
    ASSERT_TRUE(result->weekly && result->session);
    EXPECT_EQ(result->weekly->duration, 604800);
    EXPECT_EQ(result->weekly->resetsAt, dateFromSince1970(1800000500));
    EXPECT_EQ(result->session->usedPercent, 12.5);
    EXPECT_FALSE(result->note);
    EXPECT_EQ(result->source, "codex app-server");

    const auto twoLong = parseTexts(R"({})",
                                    R"({"rateLimits":{"primary":{"usedPercent":1,"windowDurationMins":20160},
                                        "secondary":{"usedPercent":2,"windowDurationMins":10080}}})");
    ASSERT_TRUE(twoLong.has_value() && twoLong->weekly);
    EXPECT_EQ(twoLong->weekly->usedPercent, 1) << "of two long windows the longest is the weekly one";

    // Limits beside Codex's own: each window kept or skipped on its own.
    const auto twoLimits = parseTexts(R"({})", R"({"rateLimitsByLimitId":{
        "codex":{"primary":{"usedPercent":3,"windowDurationMins":10080}},
        "mini":{"limitName":"GPT-5-Codex-Mini","primary":{"usedPercent":70,"windowDurationMins":300,
            "resetsAt":1800000600},"secondary":{"usedPercent":20,"windowDurationMins":10080}},
        "odd":{"limitName":"No length","primary":{"usedPercent":5}},"bad":7}})");
    ASSERT_TRUE(twoLimits.has_value() && twoLimits->weekly);
    EXPECT_EQ(twoLimits->weekly->usedPercent, 3);
    EXPECT_EQ(
        twoLimits->otherWindows,
        (std::vector<LimitWindow>{
            {"codex:mini:primary", "GPT-5-Codex-Mini · 5-hour window", {70, dateFromSince1970(1800000600), 18000}},
            {"codex:mini:secondary", "GPT-5-Codex-Mini · week", {20, std::nullopt, 604800}}}));
}

TEST(CodexUsageParser, PacesAgainstTheSessionWindowWhenNoWeeklyOneIsReported)
{
    // Five hours alone, and the by-limit Codex entry winning over a weekly window beside it.
    for (const std::string_view limits : {R"({"rateLimits":{"primary":{"usedPercent":5,"windowDurationMins":300}}})",
                                          R"({"rateLimits":{"primary":{"usedPercent":1,"windowDurationMins":10080}},
              "rateLimitsByLimitId":{"codex":{"primary":{"usedPercent":5,"windowDurationMins":300}}}})"}) {
        SCOPED_TRACE(limits);
        const auto result = parseTexts(R"({"account":{"planType":"plus"}})", limits);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->note, "Paced against the 5-hour window (no weekly window reported)");
        EXPECT_FALSE(result->session);
        ASSERT_TRUE(result->weekly);
        EXPECT_EQ(result->weekly->usedPercent, 5);
    }
}

TEST(CodexUsageParser, ReportsEachFailureFromTheFirstRuleThatApplies)
{
    const json signedOut = json::parse(R"({"account":null,"requiresOpenaiAuth":true})");
    const json plus = json::parse(R"({"account":{"planType":"plus"}})");
    const json noWindow = json::parse(R"({"rateLimits":{"primary":{"windowDurationMins":300}}})");
    EXPECT_THAT(CodexUsageParser::parse(&signedOut, &noWindow, std::nullopt, now),
                FailsWith(FetchFailure::notLoggedIn()));
    EXPECT_THAT(CodexUsageParser::parse(&plus, nullptr, "401 Unauthorized", now),
                FailsWith(FetchFailure::notLoggedIn()));
    EXPECT_THAT(CodexUsageParser::parse(&plus, nullptr, "server busy", now),
                FailsWith(FetchFailure::unreachable("server busy")));
    EXPECT_THAT(CodexUsageParser::parse(&plus, nullptr, std::nullopt, now),
                FailsWith(FetchFailure::unexpected("Codex returned no rate limits")));
    EXPECT_THAT(CodexUsageParser::parse(&plus, &noWindow, std::nullopt, now),
                FailsWith(FetchFailure::unexpected("Codex reported no usage window")));
}

TEST(CodexUsageParser, TellsSignedOutErrorsByWholeWordsOutsidePaths)
{
    struct Case
    {
        std::string_view name;
        std::string_view text;
        bool signedOut;
    };

    constexpr auto cases = std::to_array<Case>({
        {"the server's refusal of the rate limits", "codex account authentication required to read rate limits", true},
        {"upper case and a hyphen", "Please LOG-IN again", true},
        {"a missing CODEX_HOME under a folder named author-home",
         R"(Error: CODEX_HOME points to "/home/author-home/.codex", but that path does not exist)",
         false},
        {"an unquoted path with auth in it", "failed to read /home/me/auth/401/config.toml: Permission denied", false},
        {"words that only begin like one", "Authors: unknown; logins disabled; retry in 4010 ms", false},
        {"a failed OAuth refresh", "OAuth token refresh failed: invalid_grant", true},
        {"a refused authorization", "Authorization required", true},
        {"a bare status line", "HTTP/1.1 401 Unauthorized", true},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CodexUsageParser::looksSignedOut(c.text), c.signedOut);
    }
}

TEST(CodexUsageParser, ReportsPerTokenAndWorkspaceAccountsWithoutWindows)
{
    const json apiKey = json::parse(R"({"account":{"type":"apiKey"}})");
    const auto api = CodexUsageParser::parse(&apiKey, nullptr, "boom", now);
    ASSERT_TRUE(api.has_value());
    EXPECT_EQ(api->kind, AccountKind::apiBilling);
    EXPECT_EQ(api->note, "Billed per token through the OpenAI API");

    const auto team = parseTexts(R"({"account":{"planType":"team"}})", R"({"rateLimits":{}})");
    ASSERT_TRUE(team.has_value());
    EXPECT_EQ(team->kind, AccountKind::enterprise);
    EXPECT_EQ(team->plan, "Team");
    EXPECT_EQ(team->note, "Usage is managed by your workspace");
}

TEST(CodexUsageParser, NamesPlans)
{
    struct Case
    {
        std::string_view type;
        std::optional<std::string_view> name;
        bool organisational;
    };

    constexpr auto cases = std::to_array<Case>({
        {"UNKNOWN", std::nullopt, false},
        {"enterprise_max", "Enterprise", true},
        {"self_serve_business_usage_based", "Business", true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        const auto name = CodexUsageParser::planName(std::string(c.type));
        EXPECT_EQ(name, c.name ? std::optional<std::string>(*c.name) : std::nullopt);
        EXPECT_EQ(CodexUsageParser::isOrganisational(std::string(c.type)), c.organisational);
    }
    EXPECT_FALSE(CodexUsageParser::planName(std::nullopt));
}

TEST(CodexUsageParser, KeepsOnlyCreditsMarkedExactlyAvailable)
{
    const json value = json::parse(R"({"credits":[{"status":"Available","title":"A"},
        {"status":"available"},{"status":"available","title":"C","expiresAt":1800000000}]})");
    const auto credits = CodexUsageParser::verifiedResetCredits(&value);
    ASSERT_EQ(credits.size(), 2U);
    EXPECT_FALSE(credits[0].title);
    EXPECT_EQ(credits[1].title, "C");
    EXPECT_EQ(credits[1].expiresAt, now);
}

TEST(CodexUsageParser, KeepsTheLastSixtyDaysOfAccountUsage)
{
    json buckets = json::array();
    for (int day = 0; day < 75; ++day) {
        buckets.push_back({{"startDate", std::to_string(day)}, {"tokens", day * 10.7}});
    }
    buckets.push_back({{"startDate", "bad"}, {"tokens", "many"}});
    const json reply = {{"summary", {{"lifetimeTokens", "1e6"}, {"currentStreakDays", true}}},
                        {"dailyUsageBuckets", buckets}};
    const auto usage = CodexUsageParser::parseAccountTokenUsage(&reply);
    ASSERT_TRUE(usage);
    ASSERT_EQ(usage->days.size(), 60U);
    EXPECT_EQ(usage->days.front().date, "15");
    EXPECT_EQ(usage->days.back().tokens, 791);
    EXPECT_EQ(usage->lifetimeTokens, 1000000);
    EXPECT_EQ(usage->currentStreakDays, 1);
    EXPECT_FALSE(usage->peakDailyTokens);

    const json empty = json::parse(R"({"summary":{"peakDailyTokens":3}})");
    EXPECT_FALSE(CodexUsageParser::parseAccountTokenUsage(&empty));
    EXPECT_FALSE(CodexUsageParser::parseAccountTokenUsage(nullptr));
}

}  // namespace
}  // namespace ostrel
