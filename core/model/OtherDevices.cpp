#include "model/OtherDevices.h"

#include <algorithm>
#include <cstdint>

#include "model/TokenFormat.h"

namespace ostrel::OtherDevices {

std::optional<std::string> note(const ProviderReading& reading, const ProviderActivity& activity, Date now)
{
    if (!reading.accountUsage) {
        return std::nullopt;
    }
    const std::int64_t local = activity.tokens.total(604800, now).total();
    const auto& days = reading.accountUsage->days;
    const std::size_t first = days.size() > 7 ? days.size() - 7 : 0;
    std::int64_t server = 0;
    for (std::size_t index = first; index < days.size(); ++index) {
        server += days[index].tokens;
    }
    if (server <= 2 * std::max<std::int64_t>(local, 1)) {
        return std::nullopt;
    }
    return "All devices: " + TokenFormat::shortText(server)
           + " in 7 days (this computer: " + TokenFormat::shortText(local) + ")";
}

}  // namespace ostrel::OtherDevices
