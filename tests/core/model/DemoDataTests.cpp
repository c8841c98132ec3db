#include "model/DemoData.h"

#include <array>
#include <cmath>
#include <memory>
#include <string_view>

#include <gtest/gtest.h>
#include <unicode/timezone.h>

#include "support/CivilTime.h"

namespace ostrel {
namespace {

using testing::calendarIn;
using testing::localDate;

const std::unique_ptr<icu::Calendar> newYork = calendarIn("America/New_York");
// A Wednesday afternoon, with a fractional second as a real clock gives.
const Date now = localDate(*newYork, {2026, 12, 9, 14, 20}) + Seconds{17.25};

TEST(DemoData, GivesTheSameSampleForTheSameLaunchTime)
{
    const DemoSample first = DemoData::make(now, *newYork);
    EXPECT_EQ(first, DemoData::make(now, *newYork));
    EXPECT_NE(first, DemoData::make(now + Seconds{600}, *newYork));
}

TEST(DemoData, BurnsEachWeekUpToItsReadingWithinTheWeekBeforeNow)
{
    const DemoSample sample = DemoData::make(now, *newYork);
    for (const auto& [provider, target] : {std::pair{Provider::claude, 18.0}, std::pair{Provider::openai, 41.0}}) {
        SCOPED_TRACE(rawValue(provider));
        const std::vector<AllowancePoint>& points = sample.history.at(provider);
        const ProviderSnapshot& snapshot = sample.snapshots.at(provider);
        const UsageWindow weekly = *snapshot.lastReading->weekly;
        // A recent reading without a failure, renewing on a whole hour.
        EXPECT_EQ(snapshot.lastAttemptAt, now - Seconds{120});
        EXPECT_EQ(snapshot.lastReading->fetchedAt, now - Seconds{120});
        EXPECT_FALSE(snapshot.lastFailure.has_value());
        EXPECT_EQ(std::fmod(secondsSince1970(*weekly.resetsAt), 3600), 0);
        // Every half hour from the start of the week up to the last one before now.
        ASSERT_FALSE(points.empty());
        EXPECT_EQ(points.front().date, *weekly.resetsAt - Seconds{UsageWindow::week});
        EXPECT_GT(points.back().date, now - Seconds{1800});
        EXPECT_EQ(points.back().usedPercent, target);
        EXPECT_EQ(weekly.usedPercent, target);
        EXPECT_LT(points.front().usedPercent, 0.5);
        double previous = 0;
        for (std::size_t i = 1; i < points.size(); ++i) {
            EXPECT_EQ((points[i].date - points[i - 1].date).count(), 1800);
        }
        for (const AllowancePoint& point : points) {
            EXPECT_GE(point.date, *weekly.resetsAt - Seconds{UsageWindow::week});
            EXPECT_LT(point.date, now);
            EXPECT_EQ(point.resetsAt, weekly.resetsAt);
            EXPECT_GE(point.usedPercent, previous);
            previous = point.usedPercent;
        }
    }
}

TEST(DemoData, HasACreditLapsingSoonForTheCardToWarnAbout)
{
    const auto& credits = DemoData::make(now, *newYork).snapshots.at(Provider::openai).lastReading->resetCredits;
    ASSERT_EQ(credits.size(), 2U);
    EXPECT_TRUE(credits[0].expiresSoon(now));
    EXPECT_FALSE(credits[1].expiresSoon(now));
}

TEST(DemoData, LogsActivityOnlyInWorkingHoursOfTheLocalDay)
{
    const DemoSample sample = DemoData::make(now, *newYork);
    for (const Provider provider : allProviders) {
        SCOPED_TRACE(rawValue(provider));
        const ProviderActivity& activity = sample.activity.at(provider);
        EXPECT_EQ(activity.scannedAt, now);
        EXPECT_TRUE(activity.allowance.empty());
        ASSERT_FALSE(activity.tokens.isEmpty());
        EXPECT_GE(activity.tokens.buckets.begin()->first, TokenSeries::bucketKey(now - Seconds{691200}));
        EXPECT_LE(activity.tokens.buckets.rbegin()->first, TokenSeries::bucketKey(now));
        for (const auto& [key, counts] : activity.tokens.buckets) {
            const std::unique_ptr<icu::Calendar> calendar(newYork->clone());
            UErrorCode status = U_ZERO_ERROR;
            calendar->setTime(static_cast<double>(key) * 600'000, status);
            const int hour = calendar->get(UCAL_HOUR_OF_DAY, status);
            // Below 7:00 and after 23:00 even the busiest mood stays under the threshold.
            EXPECT_TRUE(hour >= 7 && hour <= 23) << "bucket at local hour " << hour;
            // Mostly cache reads; of the rest, output is the smaller share.
            EXPECT_GT(counts.cached, 15 * counts.fresh());
            EXPECT_GT(counts.input, counts.output);
        }
    }
}

TEST(DemoData, WeekendDaysCarryFortyFivePercentOfTheWorkdayIntensity)
{
    struct Case
    {
        std::string_view name;
        int hour;
        int minute;
        double weekday;
    };

    const auto cases = std::to_array<Case>({
        {"the morning peak", 10, 30, 1.0},
        {"the afternoon peak", 15, 0, 1.0},
        {"the evening peak", 21, 0, 0.45},
        {"the small hours", 3, 0, 0.0},
        {"lunch", 12, 45, -1},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // 2026-12-04 is a Friday, the 5th a Saturday and the 6th a Sunday.
        const double friday = DemoData::workIntensity(localDate(*newYork, {2026, 12, 4, c.hour, c.minute}), *newYork);
        const double saturday = DemoData::workIntensity(localDate(*newYork, {2026, 12, 5, c.hour, c.minute}), *newYork);
        const double sunday = DemoData::workIntensity(localDate(*newYork, {2026, 12, 6, c.hour, c.minute}), *newYork);
        if (c.weekday >= 0) {
            EXPECT_NEAR(friday, c.weekday, 1e-6);
        }
        EXPECT_NEAR(saturday, 0.45 * friday, 1e-12);
        EXPECT_NEAR(sunday, 0.45 * friday, 1e-12);
    }
    // The clock is the local one: 10:30 in UTC is 5:30 in New York.
    const std::unique_ptr<icu::Calendar> utc = calendarIn("UTC");
    EXPECT_NEAR(DemoData::workIntensity(localDate(*utc, {2026, 12, 4, 10, 30}), *newYork),
                std::exp(-std::pow(5 / 1.6, 2)),
                1e-12);
}

}  // namespace
}  // namespace ostrel
