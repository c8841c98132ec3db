#pragma once
// What the activity scanner reports for one provider.

#include <array>
#include <string_view>
#include <utility>
#include <vector>

#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/TokenSeries.h"

namespace ostrel {

struct ProviderActivity
{
    /// The spans the activity card totals, as label and seconds.
    static constexpr std::array<std::pair<std::string_view, double>, 5> windows{{
        {"1h", 3600},
        {"24h", 86400},
        {"2d", 172800},
        {"5d", 432000},
        {"7d", 604800},
    }};

    TokenSeries tokens;
    std::vector<AllowancePoint> allowance;  ///< sorted by date
    Date scannedAt;

    bool operator==(const ProviderActivity&) const = default;
};

}  // namespace ostrel
