#pragma once
// A provider's reset credits split at one moment: the usable ones, soonest
// expiry first, and those of them that lapse within the week, with the
// headline that sums them up.

#include <optional>
#include <string>
#include <vector>

#include "model/Date.h"
#include "model/ResetCredit.h"

namespace ostrel {

struct ResetCreditStatus
{
    /// Not expired at `now`, by expiry ascending; undated credits last, as given.
    std::vector<ResetCredit> available;
    /// The members of `available` that expire within the warning window.
    std::vector<ResetCredit> expiringSoon;
    Date now;

    [[nodiscard]] static ResetCreditStatus make(const std::vector<ResetCredit>& credits, Date now);

    [[nodiscard]] bool isEmpty() const
    {
        return available.empty();
    }

    /// The expiry of the first available credit, absent when it has none.
    [[nodiscard]] std::optional<Date> nextExpiry() const;
    /// The time until `nextExpiry` in the short form ("3d", "5h").
    [[nodiscard]] std::optional<std::string> nextExpiryText() const;
    /// "1 reset expires in 3d", "2 resets expire in 5h (3 total)",
    /// "2 resets available · next expires in 12d"; absent without credits.
    [[nodiscard]] std::optional<std::string> headline() const;

    bool operator==(const ResetCreditStatus&) const = default;
};

}  // namespace ostrel
