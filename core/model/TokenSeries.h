#pragma once
// Token counts in ten-minute buckets keyed by floor(seconds since 1970 / 600).

#include <cstdint>
#include <map>
#include <vector>

#include "model/Date.h"
#include "model/TokenCounts.h"

namespace ostrel {

/// One bar of an activity chart.
struct TokenBin
{
    Date start;
    double width = 0;  ///< seconds, as asked for
    TokenCounts counts;

    bool operator==(const TokenBin&) const = default;
};

struct TokenSeries
{
    static constexpr std::int64_t bucketSeconds = 600;

    std::map<std::int64_t, TokenCounts> buckets;

    [[nodiscard]] static std::int64_t bucketKey(Date date);

    [[nodiscard]] bool isEmpty() const
    {
        return buckets.empty();
    }

    /// Adds to the bucket of `at`; zero counts create no bucket.
    void add(const TokenCounts& counts, Date at);
    void merge(const TokenSeries& other);
    /// Drops buckets older than the bucket of `date`; that bucket stays.
    void prune(Date before);
    /// Sum of the buckets from the one holding `now - last + 1 s` to the one holding `now`.
    [[nodiscard]] TokenCounts total(double last, Date now) const;
    /// `count` bins of `width` seconds (a multiple of 600), aligned to 1970, the last holding `now`.
    [[nodiscard]] std::vector<TokenBin> bins(int count, double width, Date now) const;

    bool operator==(const TokenSeries&) const = default;
};

}  // namespace ostrel
