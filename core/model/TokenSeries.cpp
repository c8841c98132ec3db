#include "model/TokenSeries.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ostrel {
namespace {

/// Floor division, so that bins before 1970 stay aligned like those after it.
[[nodiscard]] std::int64_t floorDiv(std::int64_t value, std::int64_t divisor)
{
    const std::int64_t quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

}  // namespace

std::int64_t TokenSeries::bucketKey(Date date)
{
    const double key = std::floor(secondsSince1970(date) / static_cast<double>(bucketSeconds));
    // Dates that no clock gives (NaN, infinities) saturate instead of overflowing.
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (!(key > -limit)) {
        return std::numeric_limits<std::int64_t>::min();
    }
    if (key >= limit) {
        return std::numeric_limits<std::int64_t>::max();
    }
    return static_cast<std::int64_t>(key);
}

void TokenSeries::add(const TokenCounts& counts, Date at)
{
    if (counts.total() == 0) {
        return;
    }
    buckets[bucketKey(at)] += counts;
}

void TokenSeries::merge(const TokenSeries& other)
{
    for (const auto& [key, counts] : other.buckets) {
        buckets[key] += counts;
    }
}

void TokenSeries::prune(Date before)
{
    buckets.erase(buckets.begin(), buckets.lower_bound(bucketKey(before)));
}

TokenCounts TokenSeries::total(double last, Date now) const
{
    const std::int64_t first = bucketKey(now - Seconds{last} + Seconds{1});
    const std::int64_t lastKey = bucketKey(now);
    TokenCounts sum;
    if (first > lastKey) {
        return sum;
    }
    for (auto it = buckets.lower_bound(first); it != buckets.end() && it->first <= lastKey; ++it) {
        sum += it->second;
    }
    return sum;
}

std::vector<TokenBin> TokenSeries::bins(int count, double width, Date now) const
{
    // Beyond about 30 million years from 1970 the bin starts would overflow.
    constexpr double farthestNow = 1e15;
    if (count <= 0 || !(std::abs(secondsSince1970(now)) < farthestNow)) {
        return {};
    }
    // Widths below one bucket, and NaN, count as one bucket per bin; absurdly wide
    // ones are capped at a span no chart asks for (about 190 years).
    constexpr double widestSpan = 6e9;
    const std::int64_t per = width >= static_cast<double>(bucketSeconds)
                                 ? static_cast<std::int64_t>(std::min(std::trunc(width), widestSpan)) / bucketSeconds
                                 : 1;
    const std::int64_t lastBin = floorDiv(bucketKey(now), per);
    const std::int64_t firstBin = lastBin - count + 1;

    std::vector<TokenBin> result(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < result.size(); ++i) {
        const auto bin = firstBin + static_cast<std::int64_t>(i);
        result[i].start = dateFromSince1970(static_cast<double>(bin * per * bucketSeconds));
        result[i].width = width;
    }
    for (auto it = buckets.lower_bound(firstBin * per); it != buckets.end(); ++it) {
        const std::int64_t index = floorDiv(it->first, per) - firstBin;
        if (index >= count) {
            break;
        }
        result[static_cast<std::size_t>(index)].counts += it->second;
    }
    return result;
}

}  // namespace ostrel
