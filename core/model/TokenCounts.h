#pragma once
// Token counts split the way both assistants bill them: cache reads, other
// input, output. Sums saturate at the limits of 64 bits instead of wrapping,
// so absurd figures in a log can never turn into negative totals.

#include <cstdint>
#include <limits>

namespace ostrel {

/// `a + b`, held at the largest or smallest 64-bit value instead of overflowing.
[[nodiscard]] constexpr std::int64_t saturatingSum(std::int64_t a, std::int64_t b)
{
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) {
        return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    }
    return sum;
}

/// `a - b`, held at the largest or smallest 64-bit value instead of overflowing.
[[nodiscard]] constexpr std::int64_t saturatingDifference(std::int64_t a, std::int64_t b)
{
    std::int64_t difference = 0;
    if (__builtin_sub_overflow(a, b, &difference)) {
        return b < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    }
    return difference;
}

struct TokenCounts
{
    std::int64_t cached = 0;  ///< input served from the prompt cache
    std::int64_t input = 0;   ///< input not served from the cache (Claude: includes cache writes)
    std::int64_t output = 0;

    [[nodiscard]] constexpr std::int64_t total() const
    {
        return saturatingSum(saturatingSum(cached, input), output);
    }

    [[nodiscard]] constexpr std::int64_t fresh() const
    {
        return saturatingSum(input, output);
    }

    [[nodiscard]] constexpr bool isZero() const
    {
        return total() == 0;
    }

    constexpr TokenCounts& operator+=(const TokenCounts& other)
    {
        cached = saturatingSum(cached, other.cached);
        input = saturatingSum(input, other.input);
        output = saturatingSum(output, other.output);
        return *this;
    }

    [[nodiscard]] friend constexpr TokenCounts operator+(TokenCounts lhs, const TokenCounts& rhs)
    {
        lhs += rhs;
        return lhs;
    }

    bool operator==(const TokenCounts&) const = default;
};

}  // namespace ostrel
