#pragma once
// Daily token totals that the Codex service reports for the signed-in account,
// across all of the user's devices.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ostrel {

struct AccountTokenUsage
{
    struct Day
    {
        std::string date;  ///< the service's day label, exactly as given
        std::int64_t tokens = 0;

        bool operator==(const Day&) const = default;
    };

    std::vector<Day> days;  ///< at most 60, in the service's order
    std::optional<std::int64_t> lifetimeTokens;
    std::optional<std::int64_t> peakDailyTokens;
    std::optional<int> currentStreakDays;

    bool operator==(const AccountTokenUsage&) const = default;
};

}  // namespace ostrel
