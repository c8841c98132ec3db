#pragma once
// Token counts split the way both assistants bill them: cache reads, other
// input, output.

#include <cstdint>

namespace ostrel {

struct TokenCounts
{
    std::int64_t cached = 0;  ///< input served from the prompt cache
    std::int64_t input = 0;   ///< input not served from the cache (Claude: includes cache writes)
    std::int64_t output = 0;

    [[nodiscard]] constexpr std::int64_t total() const
    {
        return cached + input + output;
    }

    [[nodiscard]] constexpr std::int64_t fresh() const
    {
        return input + output;
    }

    [[nodiscard]] constexpr bool isZero() const
    {
        return total() == 0;
    }

    constexpr TokenCounts& operator+=(const TokenCounts& other)
    {
        cached += other.cached;
        input += other.input;
        output += other.output;
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
