#pragma once
// One rate-limit window: how much is used and when it renews.

#include <algorithm>
#include <optional>

#include "model/Date.h"

namespace ostrel {

struct UsageWindow
{
    static constexpr double week = 604800;
    static constexpr double fiveHours = 18000;

    double usedPercent = 0;  ///< 0...100, may be outside when the provider says so
    std::optional<Date> resetsAt;
    double duration = week;  ///< seconds

    /// What is left, as a fraction clamped to 0...1.
    [[nodiscard]] double allowanceFraction() const
    {
        return std::clamp((100.0 - usedPercent) / 100.0, 0.0, 1.0);
    }

    bool operator==(const UsageWindow&) const = default;
};

}  // namespace ostrel
