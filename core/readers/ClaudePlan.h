#pragma once
// The Claude account plan as the credentials name it, and the two things the
// readers derive from it: the plan's display name and whether an organisation
// manages the account's usage.

#include <optional>
#include <string>

namespace ostrel {

struct ClaudePlan
{
    std::optional<std::string> subscriptionType;
    std::optional<std::string> rateLimitTier;

    /// "Max 20×", "Max 5×", "Max", or the type with a capital first letter ("Pro");
    /// absent without a subscription type.
    [[nodiscard]] std::optional<std::string> displayName() const;
    /// The subscription type mentions "enterprise" or "team", in any case.
    [[nodiscard]] bool isOrganisational() const;

    bool operator==(const ClaudePlan&) const = default;
};

}  // namespace ostrel
