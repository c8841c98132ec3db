#include "model/ReadingsMerge.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

constexpr double day = 86400;
const Date now = dateFromReference(786000000);

/// A snapshot by its times, in minutes before `now`.
struct Times
{
    std::optional<double> readingAt;
    std::optional<double> attemptAt;
    bool failed = false;

    [[nodiscard]] ProviderSnapshot snapshot() const
    {
        ProviderSnapshot snapshot;
        if (readingAt) {
            snapshot.lastReading = ProviderReading{.fetchedAt = now - Seconds{*readingAt * 60}, .source = "usage API"};
        }
        if (attemptAt) {
            snapshot.lastAttemptAt = now - Seconds{*attemptAt * 60};
        }
        if (failed) {
            snapshot.lastFailure = FetchFailure::unreachable("offline");
        }
        return snapshot;
    }
};

/// Claude's default account and a named one: both are merged alike.
const auto accounts = std::to_array<AccountKey>({{Provider::claude, ""}, {Provider::claude, "work"}});

[[nodiscard]] Saved with(const AccountKey& account, const std::optional<Times>& times)
{
    Saved saved;
    if (times && account.id.empty()) {
        saved.snapshots[account.provider] = times->snapshot();
    } else if (times) {
        saved.accounts[account].snapshot = times->snapshot();
    }
    return saved;
}

TEST(ReadingsMerge, KeepsTheNewerReadingAndTheFailureOfTheLaterAttempt)
{
    struct Case
    {
        std::string_view name;
        std::optional<Times> ours;
        Times theirs;
        Times merged;
    };

    const auto cases = std::to_array<Case>({
        {"their newer reading wins", Times{30, 30}, Times{10, 10}, Times{10, 10}},
        {"our newer reading stays", Times{10, 10}, Times{30, 30}, Times{10, 10}},
        {"their later failure follows our reading", Times{20, 20}, Times{30, 10, true}, Times{20, 10, true}},
        {"their earlier failure is no longer the last attempt", Times{20, 20}, Times{30, 25, true}, Times{20, 20}},
        {"a reading newer than the failed attempt clears the failure", Times{5, 30}, Times{60, 10, true}, Times{5, 10}},
        {"a provider only they read is taken whole", std::nullopt, Times{60, 10, true}, Times{60, 10, true}},
        {"the same state changes nothing", Times{60, 10, true}, Times{60, 10, true}, Times{60, 10, true}},
    });
    for (const auto& account : accounts) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " of account \"" + account.id + "\"");
            const Saved merged = ReadingsMerge::merge(with(account, c.ours), with(account, c.theirs), now);
            EXPECT_EQ(merged, with(account, c.merged));
        }
    }
}

TEST(ReadingsMerge, TakesTheUnionOfTheHistoriesByDateWithoutTheirPointsOfTwoWeeksAgo)
{
    const auto point = [](double daysAgo, double used) {
        return AllowancePoint{now - Seconds{daysAgo * day}, used, now + Seconds{day}};
    };

    struct Case
    {
        std::string_view name;
        std::vector<AllowancePoint> ours;
        std::vector<AllowancePoint> theirs;
        std::vector<AllowancePoint> merged;
    };

    const auto cases = std::to_array<Case>({
        {"each point once, in date order",
         {point(3, 30), point(1, 50)},
         {point(2, 40), point(1, 50), point(0, 60)},
         {point(3, 30), point(2, 40), point(1, 50), point(0, 60)}},
        {"two points of the same date are both kept", {point(1, 50)}, {point(1, 51)}, {point(1, 50), point(1, 51)}},
        {"their points of 14 days ago stay dropped, our own stay kept",
         {point(20, 5)},
         {point(14, 10), point(13, 20)},
         {point(20, 5), point(13, 20)}},
    });
    for (const auto& account : accounts) {
        const auto history = [&account](Saved& saved) -> std::vector<AllowancePoint>& {
            return account.id.empty() ? saved.history[account.provider] : saved.accounts[account].history;
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " of account \"" + account.id + "\"");
            Saved ours;
            Saved theirs;
            history(ours) = c.ours;
            history(theirs) = c.theirs;
            Saved merged = ReadingsMerge::merge(ours, theirs, now);
            EXPECT_EQ(history(merged), c.merged);
        }
    }
}

}  // namespace
}  // namespace ostrel
