#pragma once
// A reset credit: renews an allowance early, may lapse.

#include <optional>
#include <string>

#include "model/Date.h"

namespace ostrel {

struct ResetCredit
{
    static constexpr double expiryWarningWindow = 604800;  ///< seconds

    std::optional<std::string> title;
    std::optional<Date> expiresAt;

    [[nodiscard]] bool isExpired(Date now) const
    {
        return expiresAt && *expiresAt <= now;
    }

    /// Lapses within the next seven days (inclusive) but has not lapsed yet.
    [[nodiscard]] bool expiresSoon(Date now) const
    {
        return expiresAt && *expiresAt > now && (*expiresAt - now).count() <= expiryWarningWindow;
    }

    bool operator==(const ResetCredit&) const = default;
};

}  // namespace ostrel
