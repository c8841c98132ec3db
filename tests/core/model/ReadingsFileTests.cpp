#include "model/ReadingsFile.h"

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

constexpr double day = 86400;
const Date now = dateFromReference(786000000);

ProviderReading weeklyReading(Provider provider, Date at, double used, std::optional<Date> resetsAt)
{
    return ProviderReading{.provider = provider,
                           .fetchedAt = at,
                           .weekly = UsageWindow{.usedPercent = used, .resetsAt = resetsAt},
                           .source = "usage API"};
}

AllowancePoint point(double daysAgo, double used, std::optional<Date> resetsAt = std::nullopt)
{
    return {now - Seconds{daysAgo * day}, used, resetsAt};
}

std::vector<double> usedValues(const std::vector<AllowancePoint>& points)
{
    std::vector<double> values;
    values.reserve(points.size());
    for (const AllowancePoint& p : points) {
        values.push_back(p.usedPercent);
    }
    return values;
}

TEST(ReadingsFile, FindsTheDataFolderTheWayXdgAsks)
{
    struct Case
    {
        std::string_view name;
        std::optional<std::string_view> xdgDataHome;
        std::optional<std::string_view> home;
        std::optional<std::string_view> folder;
    };

    constexpr auto cases = std::to_array<Case>({
        {"XDG_DATA_HOME wins", "/data", "/home/ada", "/data/Ostrel"},
        {"HOME when XDG_DATA_HOME is unset", std::nullopt, "/home/ada", "/home/ada/.local/share/Ostrel"},
        {"a relative XDG_DATA_HOME is ignored", "data", "/home/ada", "/home/ada/.local/share/Ostrel"},
        {"no usable folder at all", std::nullopt, "relative/home", std::nullopt},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto folder = ReadingsFile::dataFolder(c.xdgDataHome, c.home);
        EXPECT_EQ(folder, c.folder.transform([](std::string_view p) { return std::filesystem::path(p); }));
    }
}

TEST(ReadingsFile, PrunesAProvidersHistoryOnlyWhenItGainsAPoint)
{
    Saved saved;
    saved.history[Provider::claude] = {point(15, 1), point(14, 2), point(14 - 1.0 / day, 3)};
    saved.history[Provider::openai] = {point(20, 9)};

    // Failures and readings without a weekly window leave the history as stored.
    ReadingsFile::record(saved, Provider::claude, std::unexpected(FetchFailure::notLoggedIn()), now);
    ReadingsFile::record(saved, Provider::claude, ProviderReading{.fetchedAt = now, .source = "usage API"}, now);
    EXPECT_EQ(saved.history[Provider::claude].size(), 3U);
    EXPECT_TRUE(saved.snapshots[Provider::claude].lastReading);

    // Exactly 14 days old is gone; one second younger stays, until the next
    // reading ten seconds later, which counts as well.
    ReadingsFile::record(saved, Provider::claude, weeklyReading(Provider::claude, now, 40, std::nullopt), now);
    EXPECT_THAT(usedValues(saved.history[Provider::claude]), ::testing::ElementsAre(3, 40));
    const Date later = now + Seconds{10};
    ReadingsFile::record(saved, Provider::claude, weeklyReading(Provider::claude, later, 41, now), later);
    EXPECT_THAT(usedValues(saved.history[Provider::claude]), ::testing::ElementsAre(40, 41));
    EXPECT_EQ(saved.history[Provider::claude].back(), (AllowancePoint{later, 41, now}));
    EXPECT_EQ(saved.history[Provider::openai].size(), 1U);
}

TEST(ReadingsFile, DrawsTheGlidePathFromPointsOfTheCurrentWeek)
{
    const Date renewal = now + Seconds{2 * day};  // the window began five days ago
    Saved saved;
    saved.snapshots[Provider::openai].lastReading = weeklyReading(Provider::openai, now, 50, renewal);
    saved.history[Provider::openai] = {
        point(6, 1),                           // before the window
        point(5, 2),                           // exactly at its start
        point(3, 3, renewal + Seconds{1800}),  // renewal moved by half an hour
        point(2, 4, renewal - Seconds{7200}),  // another week's renewal
        point(1, 5),                           //
        {now + Seconds{1}, 6, std::nullopt},   // after now
    };
    const std::vector<AllowancePoint> scanned{point(4, 7), point(1, 8), point(0, 9)};

    EXPECT_THAT(usedValues(ReadingsFile::glidePath(saved, Provider::openai, scanned, now)),
                ::testing::ElementsAre(2, 7, 3, 5, 8, 9));
    EXPECT_TRUE(ReadingsFile::glidePath(saved, Provider::claude, scanned, now).empty());

    saved.snapshots[Provider::openai].lastReading->weekly->resetsAt.reset();
    EXPECT_TRUE(ReadingsFile::glidePath(saved, Provider::openai, scanned, now).empty());
}

TEST(ReadingsFile, ThinsByRoundingEvenStepsHalfAwayFromZero)
{
    struct Case
    {
        std::string_view name;
        std::size_t size;
        std::size_t count;
        std::vector<double> kept;
    };

    const auto cases = std::to_array<Case>({
        {"no more points than asked for", 3, 3, {0, 1, 2}},
        {"a step of one and a half rounds up", 4, 3, {0, 2, 3}},
        {"one point asked for keeps the first", 4, 1, {0}},
        {"none asked for", 4, 0, {}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<AllowancePoint> points;
        for (std::size_t i = 0; i < c.size; ++i) {
            points.push_back({now, static_cast<double>(i), std::nullopt});
        }
        EXPECT_EQ(usedValues(ReadingsFile::thin(points, c.count)), c.kept);
    }
}

TEST(ReadingsFile, ReadsTheSnapshotsAloneWithoutReadingTheHistory)
{
    using Part = ReadingsFile::Part;

    struct Case
    {
        std::string_view name;
        std::string text;
        bool snapshotsRead;
        bool wholeRead;
    };

    const std::string snapshots = R"({"snapshots":["claude",{"lastAttemptAt":786000000}])";
    const std::string deep = std::string(600, '[') + std::string(600, ']');
    const std::vector<Case> cases{
        {"a history that is not JSON is never reached", snapshots + R"(,"history":[not json at all)", true, false},
        {"the history written first",
         R"({"history":[],"snapshots":["claude",{"lastAttemptAt":786000000}]})",
         true,
         true},
        {"snapshots nested too deep", R"({"snapshots":)" + deep + R"(,"history":[]})", false, false},
        {"no history at all", snapshots + "}", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto alone = ReadingsFile::decode(c.text, Part::snapshots);
        EXPECT_EQ(alone.has_value(), c.snapshotsRead) << (alone ? "" : alone.error().text());
        if (alone) {
            EXPECT_EQ(alone->snapshots.size(), 1U);
            EXPECT_TRUE(alone->history.empty());
        }
        EXPECT_EQ(ReadingsFile::decode(c.text, Part::whole).has_value(), c.wholeRead);
    }
}

/// Both providers' default accounts, as every release before named accounts wrote them.
Saved defaultAccounts()
{
    Saved saved;
    ReadingsFile::record(saved, Provider::claude, weeklyReading(Provider::claude, now, 40, now), now);
    ReadingsFile::record(saved, Provider::openai, std::unexpected(FetchFailure::notLoggedIn()), now);
    return saved;
}

TEST(ReadingsFile, WritesNamedAccountsAfterTheDefaultOnesWhichKeepTheirBytes)
{
    const auto alone = ReadingsFile::encode(defaultAccounts());
    ASSERT_TRUE(alone.has_value());
    EXPECT_EQ(alone->find("accounts"), std::string::npos) << "a file without named accounts is as it always was";

    Saved both = defaultAccounts();
    ReadingsFile::record(both, AccountKey{Provider::claude, "work"}, weeklyReading(Provider::claude, now, 7, now), now);
    ReadingsFile::record(both,
                         AccountKey{Provider::openai, "home-2"},
                         std::unexpected(FetchFailure::cliMissing()),
                         now);
    const auto text = ReadingsFile::encode(both);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(text->starts_with(alone->substr(0, alone->size() - 1) + R"(,"accounts":[{"provider":"claude")"));
    EXPECT_EQ(ReadingsFile::decode(*text), both);
    EXPECT_EQ(ReadingsFile::glidePath(both, AccountKey{Provider::claude, "work"}, {}, now).size(), 1U);
    // The text outputs read the default accounts alone, as the release before named accounts did.
    EXPECT_EQ(ReadingsFile::decode(*text, ReadingsFile::Part::snapshots), Saved{.snapshots = both.snapshots});
}

TEST(ReadingsFile, ReadsEachNamedAccountOnItsOwnAndTheDefaultOnesWhateverTheyHold)
{
    std::string defaults = ReadingsFile::encode(defaultAccounts()).value();
    defaults.pop_back();
    const auto entry = [](std::string_view provider, std::string_view id, std::string_view attempt = "786000000") {
        return R"({"provider":")" + std::string(provider) + R"(","account":")" + std::string(id)
               + R"(","snapshot":{"lastAttemptAt":)" + std::string(attempt) + R"(},"history":[]})";
    };
    const std::string work = entry("claude", "work");

    struct Case
    {
        std::string_view name;
        std::string accounts;  ///< the "accounts" member, with its comma
        std::vector<std::string> ids;
    };

    const std::vector<Case> cases{
        {"no named accounts", "", {}},
        {"two accounts", R"(,"accounts":[)" + work + "," + entry("openai", "work") + "]", {"work", "work"}},
        {"not an array", R"(,"accounts":{"work":1})", {}},
        {"an entry that is not an object", R"(,"accounts":[7,)" + work + "]", {"work"}},
        {"a provider this release does not know",
         R"(,"accounts":[)" + entry("gemini", "a") + "," + work + "]",
         {"work"}},
        {"an empty id", R"(,"accounts":[)" + entry("claude", "") + "," + work + "]", {"work"}},
        {"an id no account could have", R"(,"accounts":[)" + entry("claude", "Work") + "]", {}},
        {"the second entry of one account",
         R"(,"accounts":[)" + work + "," + entry("claude", "work", "1") + "]",
         {"work"}},
        {"a snapshot that does not read",
         R"(,"accounts":[)" + entry("claude", "a", "\"soon\"") + "," + work + "]",
         {"work"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto saved = ReadingsFile::decode(defaults + c.accounts + "}");
        ASSERT_TRUE(saved.has_value()) << saved.error().text();
        EXPECT_EQ(saved->snapshots, defaultAccounts().snapshots);
        EXPECT_EQ(saved->history, defaultAccounts().history);
        std::vector<std::string> ids;
        for (const auto& [account, readings] : saved->accounts) {
            ids.push_back(account.id);
            EXPECT_EQ(readings.snapshot.lastAttemptAt, dateFromReference(786000000)) << "the first entry stands";
        }
        EXPECT_EQ(ids, c.ids);
    }
}

}  // namespace
}  // namespace ostrel
