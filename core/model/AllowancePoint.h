#pragma once
// One observation of a provider's weekly allowance.

#include <optional>

#include "model/Date.h"

namespace ostrel {

struct AllowancePoint
{
    Date date;
    double usedPercent = 0;  ///< the weekly window's used percentage then
    std::optional<Date> resetsAt;

    bool operator==(const AllowancePoint&) const = default;
};

}  // namespace ostrel
