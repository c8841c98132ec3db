#include "model/Json.h"

#include <array>
#include <string>
#include <string_view>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Matchers.h"

namespace ostrel {
namespace {

using ::testing::Eq;
using testing::HoldsValue;

ProviderReading fullReading()
{
    return ProviderReading{
        .provider = Provider::claude,
        .fetchedAt = dateFromReference(786000000.25),
        .plan = "Max 20x",
        .kind = AccountKind::enterprise,
        .weekly = UsageWindow{.usedPercent = 37.5, .resetsAt = dateFromReference(786300000.5)},
        .session = UsageWindow{.usedPercent = 101, .resetsAt = std::nullopt, .duration = UsageWindow::fiveHours},
        .otherWindows = {{"seven_day_sonnet", "Sonnet · week", {.usedPercent = 80, .resetsAt = std::nullopt}}},
        .resetCredits = {ResetCredit{.title = "Weekly reset", .expiresAt = dateFromReference(786600000)},
                         ResetCredit{}},
        .note = "Usage is managed by your organisation \u00B7 caf\u00E9",
        .source = "usage API",
        .accountUsage = AccountTokenUsage{.days = {{"2025-12-01", 120000}, {"2025-12-02", 0}},
                                          .lifetimeTokens = 9007199254740993,
                                          .peakDailyTokens = std::nullopt,
                                          .currentStreakDays = 4},
    };
}

template <class T>
Json::Result<T> roundTrip(const T& record)
{
    const auto text = Json::write(record);
    if (!text) {
        return std::unexpected(text.error());
    }
    return Json::read<T>(*text);
}

TEST(Json, ReadsBackEverySnapshotItWrites)
{
    struct Case
    {
        std::string_view name;
        ProviderSnapshot snapshot;
    };

    const auto cases = std::to_array<Case>({
        {"every optional field set, sub-second dates",
         {fullReading(), dateFromReference(786000300.75), FetchFailure::unreachable("timed out after 30 s")}},
        {"a failure without text", {std::nullopt, dateFromReference(1), FetchFailure::cliMissing()}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(roundTrip(c.snapshot), HoldsValue(Eq(c.snapshot)));
    }
}

TEST(Json, WritesTheStoredFormExactly)
{
    constexpr std::string_view stored =
        R"({"lastReading":{"provider":"openai","fetchedAt":786000000.5,"plan":"Plus","kind":"subscription",)"
        R"("weekly":{"usedPercent":42,"resetsAt":786300000,"duration":604800},"resetCredits":[],)"
        R"("source":"codex app-server"},"lastAttemptAt":786000300.25,)"
        R"("lastFailure":{"unexpected":{"_0":"Codex returned no rate limits"}}})";
    const ProviderSnapshot snapshot{
        ProviderReading{.provider = Provider::openai,
                        .fetchedAt = dateFromReference(786000000.5),
                        .plan = "Plus",
                        .weekly = UsageWindow{.usedPercent = 42, .resetsAt = dateFromReference(786300000)},
                        .source = "codex app-server"},
        dateFromReference(786000300.25),
        FetchFailure::unexpected("Codex returned no rate limits")};

    EXPECT_THAT(Json::write(snapshot), HoldsValue(Eq(std::string(stored))));
    EXPECT_THAT(Json::read<ProviderSnapshot>(stored), HoldsValue(Eq(snapshot)));
    // Keys a later release adds (as this one added "otherWindows") are passed over, so its files still read here.
    std::string later(stored);
    later.insert(later.find(R"("source")"), R"("laterKey":{"deep":[1,{"x":null}]},)");
    EXPECT_THAT(Json::read<ProviderSnapshot>(later), HoldsValue(Eq(snapshot)));

    TokenSeries series;
    series.buckets[2940000] = {.cached = 1, .input = 2, .output = 3};
    EXPECT_THAT(Json::write(series),
                HoldsValue(Eq(std::string(R"({"buckets":[2940000,{"cached":1,"input":2,"output":3}]})"))));
    const Json::HistoryMap history{{Provider::openai, {{dateFromReference(0.5), 10, std::nullopt}}}};
    EXPECT_THAT(Json::write(history), HoldsValue(Eq(std::string(R"(["openai",[{"date":0.5,"usedPercent":10}]])"))));
}

TEST(Json, ReadsADateBackExactly)
{
    // Dates the clock or a log made read back exactly, so a reload changes nothing.
    for (const double since1970 : {1764307500.1234567, -978307200.5}) {
        SCOPED_TRACE(since1970);
        const Json::HistoryMap history{{Provider::openai, {{dateFromSince1970(since1970), 1, std::nullopt}}}};
        const auto text = Json::write(history);
        ASSERT_TRUE(text.has_value());
        EXPECT_THAT(Json::read<Json::HistoryMap>(*text), HoldsValue(Eq(history)));
    }
}

/// Why a document does not read, as "path: message".
template <class T>
std::string whyNot(std::string_view text)
{
    const auto result = Json::read<T>(text);
    return result ? "read successfully" : result.error().text();
}

TEST(Json, RejectsMalformedDocumentsSayingWhatAndWhere)
{
    struct Case
    {
        std::string_view name;
        std::string (*read)(std::string_view);
        std::string_view text;
        std::string_view error;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a reading without resetCredits",
         whyNot<ProviderSnapshot>,
         R"({"lastReading":{"provider":"openai","fetchedAt":1,"kind":"subscription","source":"s"}})",
         R"(lastReading: Missing required key "resetCredits".)"},
        {"bucket pairs of odd length",
         whyNot<TokenSeries>,
         R"({"buckets":[1]})",
         "buckets: Expected an array alternating keys and values, found an odd number of elements."},
        {"a bucket key beyond 64 bits",
         whyNot<TokenSeries>,
         R"({"buckets":[9223372036854775808,{"cached":0,"input":0,"output":0}]})",
         "buckets[0]: Integer out of range."},
        {"text that is not JSON", whyNot<ProviderSnapshot>, R"({"lastAttemptAt":)", "The data is not valid JSON."},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.read(c.text), c.error);
    }
}

TEST(Json, WritesTextThatIsNotUtf8WithReplacementCharacters)
{
    const ResetCredit credit{.title = std::string("Reset \xFF credit"), .expiresAt = std::nullopt};
    EXPECT_THAT(Json::write(credit), HoldsValue(Eq(std::string("{\"title\":\"Reset \uFFFD credit\"}"))));
}

}  // namespace
}  // namespace ostrel
