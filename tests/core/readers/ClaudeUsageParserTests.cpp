#include "readers/ClaudeUsageParser.h"

#include <array>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Matchers.h"

namespace ostrel {
namespace {

using testing::FailsWith;

const Date now = dateFromSince1970(1772539200);  // 2026-03-03 12:00 UTC

std::unique_ptr<icu::TimeZone> zone(const char* id)
{
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id)));
}

struct BodyCase
{
    std::string_view name;
    std::string_view body;
    ClaudePlan plan;
    FetchResult expected;
};

ProviderReading apiReading(std::optional<UsageWindow> weekly,
                           std::optional<UsageWindow> session = std::nullopt,
                           std::optional<std::string> plan = std::nullopt,
                           std::vector<LimitWindow> others = {})
{
    return {.provider = Provider::claude,
            .fetchedAt = now,
            .plan = std::move(plan),
            .weekly = weekly,
            .session = session,
            .otherWindows = std::move(others),
            .source = "usage API"};
}

ProviderReading organisationReading(std::string plan, std::string note)
{
    return {.provider = Provider::claude,
            .fetchedAt = now,
            .plan = std::move(plan),
            .kind = AccountKind::enterprise,
            .note = std::move(note),
            .source = "usage API"};
}

TEST(ClaudeUsageParser, ReadsTheEndpointBodyFallsBackOnLimitsAndOrganisationAccountsAndNamesBadBodies)
{
    const UsageWindow weekly30{30, std::nullopt, UsageWindow::week};
    const auto noWeekly = std::unexpected(FetchFailure::unexpected("Claude reported no weekly allowance"));
    const auto notJson = std::unexpected(FetchFailure::unexpected("Claude usage response wasn't JSON"));
    const std::array cases{
        BodyCase{"the weekly and session windows, with a fraction of a second and a number as text",
                 R"({"seven_day":{"utilization":42,"resets_at":"2026-03-05T09:00:00.5+00:00"},)"
                 R"("five_hour":{"utilization":"10"}})",
                 {"max", "default_claude_max_20x"},
                 apiReading(UsageWindow{42, dateFromSince1970(1772701200.5), UsageWindow::week},
                            UsageWindow{10, std::nullopt, UsageWindow::fiveHours},
                            "Max 20\u00d7")},
        BodyCase{
            "per-model weeks, each bucket taken or skipped on its own",
            R"({"seven_day":{"utilization":30},"seven_day_opus":null,)"
            R"("seven_day_sonnet":{"utilization":80,"resets_at":"2026-03-05T09:00:00+00:00"},)"
            R"("model_scoped":[{"display_name":"Opus 4","utilization":12},{"display_name":"Haiku",)"
            R"("utilization":null},"odd",{"utilization":5},{"display_name":"Opus 4","utilization":99}],)"
            R"("extra_usage":{"is_enabled":false}})",
            {},
            apiReading(weekly30,
                       std::nullopt,
                       std::nullopt,
                       {{"seven_day_sonnet", "Sonnet · week", {80, dateFromSince1970(1772701200), UsageWindow::week}},
                        {"model:Opus 4", "Opus 4", {12, std::nullopt, UsageWindow::week}}})},
        BodyCase{"a weekly_all limit stands in for seven_day",
                 R"({"limits":[7,{"kind":"session","percent":5},{"kind":"weekly_all","percent":30}]})",
                 {},
                 apiReading(weekly30, UsageWindow{5, std::nullopt, UsageWindow::fiveHours})},
        BodyCase{"a null spend marks an organisation",
                 R"({"spend":null})",
                 {},
                 organisationReading("Enterprise", "Usage is managed by your organisation")},
        BodyCase{"an enabled spend cap rounds half away from zero",
                 R"({"spend":{"enabled":true,"percent":99.5}})",
                 {},
                 organisationReading("Enterprise", "Organisation spend cap: 100% used")},
        BodyCase{"a huge spend percent",
                 R"({"spend":{"enabled":true,"percent":1e300}})",
                 {},
                 organisationReading("Enterprise", "Usage is managed by your organisation")},
        BodyCase{"a percent that is not finite", R"({"seven_day":{"utilization":"nan"}})", {}, noWeekly},
        BodyCase{"a body that is a list", R"([1,2])", {}, notJson},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ClaudeUsageParser::parseAPI(c.body, c.plan, now), c.expected);
    }
}

TEST(ClaudeUsageParser, ReadsTheReportTextWithResetsInTheNamedZone)
{
    const auto local = zone("America/New_York");
    const auto result =
        ClaudeUsageParser::parseCLIText("Current session: 12.5% used · resets 3pm (Europe/Paris)\n"
                                        "current week (ALL MODELS): 37% used · resets Mar 3 at 9am (Europe/Berlin)\n",
                                        ClaudePlan{"pro", std::nullopt},
                                        now,
                                        *local);
    EXPECT_EQ(result,
              FetchResult(ProviderReading{
                  .provider = Provider::claude,
                  .fetchedAt = now,
                  .plan = "Pro",
                  .weekly = UsageWindow{37, dateFromSince1970(1772524800), UsageWindow::week},
                  .session = UsageWindow{12.5, dateFromSince1970(1772546400), UsageWindow::fiveHours},
                  .source = "claude /usage",
              }));
}

struct TextCase
{
    std::string_view name;
    std::string_view text;
    std::optional<double> weeklyReset;  ///< seconds since 1970, when the case has a reading
    std::optional<FetchFailure> failure;
};

TEST(ClaudeUsageParser, TellsMissingAndUnreadableReportLinesApart)
{
    const auto local = zone("America/New_York");
    const auto noWeekly =
        FetchFailure::unexpected("Claude Code didn't report its weekly allowance; add Ostrel to its status line "
                                 "(Settings › Command-line tools) to read it from there.");
    const std::array cases{
        TextCase{"an unknown zone falls back on the user's",
                 "Current week (all models): 1% used · resets 11pm (Mars/Base)",
                 1772596800,
                 {}},
        TextCase{"a session line alone", "Current session: 10% used", std::nullopt, noWeekly},
        TextCase{"a signed-out text wins over usage lines",
                 "Current week (all models): 37% used\nError: OAuth token has EXPIRED",
                 std::nullopt,
                 FetchFailure::notLoggedIn()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = ClaudeUsageParser::parseCLIText(c.text, {}, now, *local);
        if (c.failure) {
            EXPECT_THAT(result, FailsWith(*c.failure));
        } else {
            ASSERT_TRUE(result && result->weekly) << (result ? "no weekly window" : result.error().text);
            EXPECT_EQ(result->weekly->resetsAt.transform(secondsSince1970), c.weeklyReset);
        }
    }
}

TEST(ClaudePlan, NamesPlansAndRecognisesOrganisations)
{
    struct Case
    {
        std::string_view name;
        ClaudePlan plan;
        std::optional<std::string> displayName;
        bool organisational;
    };

    const std::array cases{
        Case{"max with a 20x tier", {"max", "default_claude_max_20x"}, "Max 20\u00d7", false},
        Case{"an enterprise type", {"claude_enterprise", std::nullopt}, "Claude_enterprise", true},
        Case{"a team type in capitals", {"TEAM", std::nullopt}, "Team", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.plan.displayName(), c.displayName);
        EXPECT_EQ(c.plan.isOrganisational(), c.organisational);
    }
}

}  // namespace
}  // namespace ostrel
