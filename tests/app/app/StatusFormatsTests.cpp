#include "app/StatusFormats.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "model/Json.h"

namespace ostrel {
namespace {

using namespace std::string_view_literals;

constexpr Date now = dateFromSince1970(1796000000);
/// Half of the week left, so the percent left divided by one half is the pace.
constexpr double halfAWeek = 302400;
constexpr double staleAfter = 7800;

enum class Shape
{
    nothing,            ///< no snapshot at all
    weekly,             ///< a fresh reading of the weekly window
    weeklyThenFailure,  ///< the same, then a failed attempt
    weeklySignedOut,    ///< the same, then "not signed in"
    signedOutOnly,
    weeklyAndSonnet  ///< a fresh reading whose Sonnet week runs out first
};

[[nodiscard]] std::optional<ProviderSnapshot> snapshot(Shape shape, double usedPercent)
{
    if (shape == Shape::nothing) {
        return std::nullopt;
    }
    ProviderReading reading;
    reading.fetchedAt = now - Seconds{60};
    reading.source = "usage API";
    reading.weekly = UsageWindow{usedPercent, now + Seconds{halfAWeek}, UsageWindow::week};
    if (shape == Shape::weeklyAndSonnet) {
        reading.otherWindows = {
            {"seven_day_sonnet", "Sonnet · week", {80, now + Seconds{halfAWeek}, UsageWindow::week}}};
    }
    ProviderSnapshot result;
    result.lastAttemptAt = now - Seconds{60};
    switch (shape) {
    case Shape::weeklyThenFailure:
        result.lastFailure = FetchFailure::unreachable("timed out");
        break;
    case Shape::weeklySignedOut:
    case Shape::signedOutOnly:
        result.lastFailure = FetchFailure::notLoggedIn();
        break;
    default:
        break;
    }
    if (shape != Shape::signedOutOnly) {
        result.lastReading = reading;
    }
    return result;
}

struct Case
{
    std::string_view name;
    Shape shape;
    double usedPercent;
    std::string_view status;
    std::string_view line;
    std::string_view brief;
    std::string_view tier;  ///< empty without pacing
    std::string_view colour;
};

using enum Shape;
constexpr auto cases = std::to_array<Case>({
    {"live with plenty", weekly, 0, "live", "Claude ▰▰▰▰▰ 100% 4d", "Claude 100%", "blue", "#3d8bff"},
    {"live getting tight", weekly, 70, "live", "Claude ▰▰▱▱▱ 30% 4d", "Claude 30%", "yellow", "#ffc53d"},
    {"live very tight", weekly, 90, "live", "Claude ▰▱▱▱▱ 10% 4d", "Claude 10%", "red", "#ff4d4f"},
    {"stale", weeklyThenFailure, 50, "stale", "Claude ▰▰▰▱▱ 50% 4d (stale)", "Claude 50% (stale)", "green", "#2fcb6e"},
    {"signed out, paced",
     weeklySignedOut,
     90,
     "needsLogin",
     "Claude ▰▱▱▱▱ 10% 4d (sign in)",
     "Claude 10% (sign in)",
     "red",
     "#ff4d4f"},
    {"signed out before any reading", signedOutOnly, 0, "needsLogin", "Claude sign in", "Claude sign in", "", ""},
    {"nothing read yet", nothing, 0, "loading", "Claude loading", "Claude loading", "", ""},
    {"a Sonnet week that runs out first",
     weeklyAndSonnet,
     50,
     "live",
     "Claude ▰▰▰▱▱ 50% 4d · Sonnet week out in 21 h",
     "Claude 50%",
     "green",
     "#2fcb6e"},
});

[[nodiscard]] std::string joinedReportLines(std::span<const ProviderDisplay> displays)
{
    std::string text;
    for (const ProviderDisplay& display : displays) {
        for (const std::string& line : display.reportLines(now)) {
            text += text.empty() ? "" : "\n";
            text += line;
        }
    }
    return text;
}

[[nodiscard]] Json::Value parsed(StatusFormat format, std::span<const ProviderDisplay> displays)
{
    const std::string output = StatusFormats::render(format, displays, now);
    EXPECT_TRUE(output.ends_with('\n'));
    EXPECT_EQ(output.find('\n'), output.size() - 1) << "one update is one line";
    return Json::parse(output).value_or(Json::Value{});
}

TEST(StatusFormats, ShowsEveryStatusOfAProviderInEveryFormat)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::array displays{
            ProviderDisplay::make(snapshot(c.shape, c.usedPercent), Provider::claude, now, staleAfter)};
        const std::string line{c.line};
        const bool paced = !c.tier.empty();

        EXPECT_EQ(StatusFormats::render(StatusFormat::text, displays, now), joinedReportLines(displays) + '\n');
        EXPECT_EQ(StatusFormats::render(StatusFormat::line, displays, now), line + '\n');
        EXPECT_EQ(StatusFormats::render(StatusFormat::polybar, displays, now),
                  paced ? "%{F" + std::string{c.colour} + "}" + line + "%{F-}\n" : line + '\n');
        EXPECT_EQ(StatusFormats::render(StatusFormat::i3blocks, displays, now),
                  line + '\n' + std::string{c.brief} + '\n' + (paced ? std::string{c.colour} + '\n' : ""));

        const Json::Value waybar = parsed(StatusFormat::waybar, displays);
        EXPECT_EQ(waybar.value("text", ""), line);
        EXPECT_EQ(waybar.value("tooltip", ""), joinedReportLines(displays));
        EXPECT_EQ(waybar.value("class", ""), paced ? c.tier : "none"sv);
        EXPECT_EQ(waybar.contains("percentage"), paced);

        const Json::Value json = parsed(StatusFormat::json, displays);
        ASSERT_EQ(json.value("schemaVersion", 0), StatusFormats::schemaVersion);
        ASSERT_EQ(json.at("providers").size(), 1U);
        const Json::Value& provider = json.at("providers").at(0);
        EXPECT_EQ(provider.value("status", ""), c.status);
        EXPECT_EQ(provider.at("tier").is_null(), !paced);
        EXPECT_EQ(provider.at("renewsAt").is_null(), !paced);
        EXPECT_EQ(provider.at("lastReadingAt").is_null(), !displays[0].reading);
        // The failure's kind is named as the readings file names it (the Json suite's).
        EXPECT_EQ(provider.at("failure").is_null(), !displays[0].failure);
        const bool sonnet = c.shape == weeklyAndSonnet;
        EXPECT_EQ(provider.at("windows").size(), paced ? (sonnet ? 2U : 1U) : 0U);
        // Past half the allowance in half the week, the week itself runs out before it renews.
        const Json::Value binding = sonnet                        ? Json::Value("seven_day_sonnet")
                                    : paced && c.usedPercent > 50 ? Json::Value("weekly")
                                                                  : Json::Value(nullptr);
        EXPECT_EQ(provider.at("binding"), binding);
        if (sonnet) {
            EXPECT_EQ(provider.at("reportLines").at(1),
                      "\u21B3 At this pace the Sonnet week runs out in about 21 h, 3 days before it renews.");
        }
    }
}

TEST(StatusFormats, SumsUpSeveralProvidersByTheTightestAndNoneAsSuch)
{
    struct Mix
    {
        std::string_view name;
        std::vector<double> usedPercents;  ///< Claude's, then OpenAI's
        std::string_view line;
        std::string_view waybarClass;
        int percentage;  ///< -1: none
    };

    const auto mixes = std::to_array<Mix>({
        {"the worse tier wins over a smaller percent",
         {70, 0},
         "Claude ▰▰▱▱▱ 30% 4d · OpenAI ▰▰▰▰▰ 100% 4d",
         "yellow",
         30},
        {"no provider enabled", {}, "No providers enabled", "none", -1},
    });
    for (const Mix& mix : mixes) {
        SCOPED_TRACE(mix.name);
        std::vector<ProviderDisplay> displays;
        for (std::size_t i = 0; i < mix.usedPercents.size(); ++i) {
            displays.push_back(ProviderDisplay::make(snapshot(Shape::weekly, mix.usedPercents[i]),
                                                     allProviders.at(i),
                                                     now,
                                                     staleAfter));
        }
        EXPECT_EQ(StatusFormats::render(StatusFormat::line, displays, now), std::string{mix.line} + '\n');
        const Json::Value waybar = parsed(StatusFormat::waybar, displays);
        EXPECT_EQ(waybar.value("class", ""), mix.waybarClass);
        EXPECT_EQ(waybar.value("percentage", -1), mix.percentage);
        EXPECT_EQ(parsed(StatusFormat::json, displays).at("providers").size(), mix.usedPercents.size());
        if (displays.empty()) {
            EXPECT_EQ(StatusFormats::render(StatusFormat::text, displays, now), "No providers enabled\n");
        }
    }
}

TEST(StatusFormats, NamesANamedAccountByItsTitleAndListsWhatAlertedForItOldestFirst)
{
    const Date earlier = now - Seconds{3600};
    const AlertState kept{
        .evaluatedAt = now,
        .providers = {{.provider = Provider::openai, .account = FiredAlert{AlertKind::signedOut, earlier, true}},
                      {.provider = Provider::claude,
                       .accountId = "work",
                       .account = FiredAlert{AlertKind::signedOut, earlier, true}},
                      {.provider = Provider::claude,
                       .account = FiredAlert{AlertKind::signedIn, now, true},
                       .windows = {{.key = "session",
                                    .name = "session",
                                    .periodEnd = now + Seconds{3600},
                                    .fired = {{AlertKind::passedThreshold, earlier, false}}}}}}};

    struct Row
    {
        std::string_view id;
        std::string_view name;
        std::string_view line;
        std::string_view account;  ///< the JSON of "account"
        std::string_view alerts;   ///< the JSON of "alerts"
    };

    constexpr auto rows = std::to_array<Row>({
        {"",
         "",
         "Claude ▰▰▰▱▱ 60% 4d",
         "null",
         R"([{"kind": "passedThreshold", "window": "session", "at": "2026-11-29T23:53:20Z", "sent": false},
             {"kind": "signedIn", "window": null, "at": "2026-11-30T00:53:20Z", "sent": true}])"},
        {"work",
         "Work",
         "Claude · Work ▰▰▰▱▱ 60% 4d",
         R"({"id":"work","name":"Work"})",
         R"([{"kind": "signedOut", "window": null, "at": "2026-11-29T23:53:20Z", "sent": true}])"},
    });
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        std::array displays{ProviderDisplay::make(snapshot(weekly, 40), Provider::claude, now, staleAfter)};
        displays[0].accountId = row.id;
        displays[0].accountName = row.name;
        EXPECT_EQ(StatusFormats::render(StatusFormat::line, displays, now), std::string{row.line} + '\n');
        const auto provider = [&displays](const std::optional<AlertState>& state) {
            return Json::parse(StatusFormats::render(StatusFormat::json, displays, now, state))
                .value_or(Json::Value{})
                .at("providers")
                .at(0);
        };
        EXPECT_EQ(provider(kept).at("account"), Json::parse(row.account).value_or(Json::Value{}));
        EXPECT_EQ(provider(kept).value("name", ""), "Claude") << "the tool's name, whichever account";
        EXPECT_EQ(provider(kept).at("alerts"), Json::parse(row.alerts).value_or(Json::Value{}))
            << "only this account's, oldest first";
        EXPECT_EQ(provider(std::nullopt).at("alerts"), Json::Value::array()) << "no kept state: nothing alerted";
    }
}

TEST(StatusFormats, KnowsTheFormatsByTheirExactNames)
{
    EXPECT_EQ(StatusFormats::fromName("waybar"), StatusFormat::waybar);
    EXPECT_EQ(StatusFormats::fromName("JSON"), std::nullopt);
}

}  // namespace
}  // namespace ostrel
