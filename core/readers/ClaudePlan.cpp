#include "readers/ClaudePlan.h"

#include "readers/MessageWords.h"

namespace ostrel {

using MessageWords::lowered;

std::optional<std::string> ClaudePlan::displayName() const
{
    if (!subscriptionType || subscriptionType->empty()) {
        return std::nullopt;
    }
    std::string type = lowered(*subscriptionType);
    if (type == "max") {
        const std::string tier = lowered(rateLimitTier.value_or(""));
        if (tier.find("20x") != std::string::npos) {
            return "Max 20\u00d7";
        }
        if (tier.find("5x") != std::string::npos) {
            return "Max 5\u00d7";
        }
        return "Max";
    }
    if (type.front() >= 'a' && type.front() <= 'z') {
        type.front() = static_cast<char>(type.front() - 'a' + 'A');
    }
    return type;
}

bool ClaudePlan::isOrganisational() const
{
    if (!subscriptionType) {
        return false;
    }
    const std::string type = lowered(*subscriptionType);
    return type.find("enterprise") != std::string::npos || type.find("team") != std::string::npos;
}

}  // namespace ostrel
