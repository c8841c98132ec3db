#include "model/TokenSeries.h"

#include <array>
#include <chrono>
#include <limits>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

/// A moment on 2025-12-(day) in UTC.
Date utc(unsigned day, int hour, int minute, int second = 0)
{
    const auto midnight = std::chrono::sys_days{std::chrono::year{2025} / 12 / std::chrono::day{day}};
    return std::chrono::time_point_cast<Seconds>(midnight + std::chrono::hours{hour} + std::chrono::minutes{minute}
                                                 + std::chrono::seconds{second});
}

constexpr TokenCounts one{.cached = 0, .input = 1, .output = 0};
constexpr std::int64_t most = std::numeric_limits<std::int64_t>::max();

std::vector<Date> starts(const std::vector<TokenBin>& bins)
{
    std::vector<Date> result;
    for (const TokenBin& bin : bins) {
        result.push_back(bin.start);
    }
    return result;
}

TEST(TokenSeries, AddsIntoTenMinuteBucketsCountedFrom1970)
{
    TokenSeries series;
    series.add({}, utc(1, 12, 0));
    EXPECT_TRUE(series.isEmpty());

    series.add({.cached = 4, .input = 0, .output = 0}, utc(1, 12, 0));
    series.add({.cached = 0, .input = 2, .output = 3}, utc(1, 12, 9, 59));
    series.add(one, utc(1, 12, 10));
    series.add(one, dateFromSince1970(-0.5));
    const auto noon = TokenSeries::bucketKey(utc(1, 12, 0));
    EXPECT_EQ(noon, 2940984);  // 1764590400 s / 600
    EXPECT_EQ(series.buckets,
              (std::map<std::int64_t, TokenCounts>{{-1, one},
                                                   {noon, {.cached = 4, .input = 2, .output = 3}},
                                                   {noon + 1, one}}));
}

TEST(TokenSeries, TotalsTheBucketsOfTheLastSpanUpToTheBucketOfNow)
{
    TokenSeries series;
    for (int minute = -70; minute <= 20; minute += 10) {
        series.add(one, utc(1, 12, 0) + std::chrono::minutes{minute});
    }
    // 10:50 falls outside the hour; 12:10 and 12:20 are after the bucket of now.
    EXPECT_EQ(series.total(3600, utc(1, 12, 0)), (TokenCounts{.cached = 0, .input = 7, .output = 0}));
    EXPECT_EQ(series.total(600, utc(1, 12, 9, 59)), (TokenCounts{.cached = 0, .input = 1, .output = 0}));
    EXPECT_TRUE(TokenSeries{}.total(604800, utc(1, 12, 0)).isZero());
}

TEST(TokenSeries, BinsHoursOfTheLastDayWithTheLastBinHoldingNow)
{
    TokenSeries series;
    series.add(one, utc(1, 12, 50));                                    // previous day, before the first bin
    series.add({.cached = 0, .input = 0, .output = 5}, utc(1, 13, 0));  // first bin
    series.add(one, utc(2, 12, 0));
    series.add(one, utc(2, 12, 50));  // the bucket after now, in the same hour
    series.add(one, utc(2, 13, 0));   // the next hour is not shown

    const auto bins = series.bins(24, 3600, utc(2, 12, 34));
    ASSERT_EQ(bins.size(), 24U);
    EXPECT_EQ(bins.front().start, utc(1, 13, 0));
    EXPECT_EQ(bins.back().start, utc(2, 12, 0));
    EXPECT_EQ(bins.front().counts, (TokenCounts{.cached = 0, .input = 0, .output = 5}));
    EXPECT_EQ(bins.back().counts, (TokenCounts{.cached = 0, .input = 2, .output = 0}));
}

TEST(TokenSeries, AlignsBinsToMultiplesOfTheirSpanFrom1970)
{
    struct Case
    {
        std::string_view name;
        int count;
        double width;
        std::vector<Date> starts;
    };

    const auto cases = std::to_array<Case>({
        {"six-hour bins of the week view", 4, 21600, {utc(1, 18, 0), utc(2, 0, 0), utc(2, 6, 0), utc(2, 12, 0)}},
        {"a width below one bucket counts as one bucket", 3, 60, {utc(2, 12, 10), utc(2, 12, 20), utc(2, 12, 30)}},
        {"a width that is no multiple of 600 is cut down to one", 2, 1100, {utc(2, 12, 20), utc(2, 12, 30)}},
        {"no bins asked for", 0, 3600, {}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto bins = TokenSeries{}.bins(c.count, c.width, utc(2, 12, 34));
        EXPECT_EQ(starts(bins), c.starts);
    }
}

TEST(TokenSeries, AddsMergesAndTotalsHoldingAtTheLargestCountInsteadOfWrapping)
{
    constexpr TokenCounts huge{.cached = most - 1, .input = 2, .output = 0};
    constexpr TokenCounts held{.cached = most, .input = 4, .output = 0};
    TokenSeries series;
    series.add(huge, utc(1, 11, 0));
    series.add(huge, utc(1, 11, 1));
    EXPECT_EQ(series.buckets.begin()->second, held) << "adding into one bucket";
    TokenSeries other;
    other.add(huge, utc(1, 11, 30));
    other.merge(other);
    EXPECT_EQ(other.buckets.begin()->second, held) << "merging overlapping buckets";
    series.merge(other);
    constexpr TokenCounts twice{.cached = most, .input = 8, .output = 0};
    EXPECT_EQ(series.total(86400, utc(1, 12, 0)), twice) << "a total over several buckets";
    EXPECT_EQ(series.bins(1, 3600, utc(1, 11, 59)).front().counts, twice) << "a bin over several buckets";
    EXPECT_EQ(twice.total(), most);
    EXPECT_EQ(twice.fresh(), 8);
    EXPECT_EQ((TokenCounts{.cached = most, .input = most, .output = most}).fresh(), most);
    EXPECT_EQ(saturatingDifference(std::numeric_limits<std::int64_t>::min(), 1),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(saturatingDifference(0, std::numeric_limits<std::int64_t>::min()), most);
}

}  // namespace
}  // namespace ostrel
