#pragma once
// The note that the account is used on other computers too: the server's
// count of the account's tokens over the last seven days, when it is far above
// what the session logs on this computer hold.

#include <optional>
#include <string>

#include "model/Date.h"
#include "model/ProviderActivity.h"
#include "model/ProviderReading.h"

namespace ostrel::OtherDevices {

/// "All devices: 41M in 7 days (this computer: 9.0M)" when the server counts
/// more than twice the local figure; absent otherwise, and without a server count.
[[nodiscard]] std::optional<std::string>
note(const ProviderReading& reading, const ProviderActivity& activity, Date now);

}  // namespace ostrel::OtherDevices
