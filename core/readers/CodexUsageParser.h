#pragma once
// Turns the Codex app-server's replies (account, rate limits, account usage)
// into one reading for provider openai, or into the precise failure. Pure
// functions over untyped JSON; the current time is passed in.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/AccountTokenUsage.h"
#include "model/Date.h"
#include "model/ProviderReading.h"
#include "model/ResetCredit.h"
#include "model/UsageWindow.h"

namespace ostrel::CodexUsageParser {

/// `account` is the `account/read` result, `rateLimits` the `account/rateLimits/read`
/// result, `rateLimitsError` the message of an error reply to the latter. Absent
/// values are null pointers / nullopt. The reading has no account usage.
[[nodiscard]] FetchResult parse(const nlohmann::json* account,
                                const nlohmann::json* rateLimits,
                                const std::optional<std::string>& rateLimitsError,
                                Date now);

/// A window object with a numeric `usedPercent`; absent for anything else.
[[nodiscard]] std::optional<UsageWindow> window(const nlohmann::json* value);

/// The display name of a plan type; absent for no plan type and for "unknown".
[[nodiscard]] std::optional<std::string> planName(const std::optional<std::string>& planType);

/// The plan is managed by a workspace (enterprise, business, edu, team, usage based).
[[nodiscard]] bool isOrganisational(const std::optional<std::string>& planType);

/// The error text says, in any letter case and in whole words, that the user is
/// not signed in. Paths, quoted or not, URLs and file names are no words of it.
[[nodiscard]] bool looksSignedOut(std::string_view text);

/// The credits of `rateLimitResetCredits` whose status is exactly "available", in order.
[[nodiscard]] std::vector<ResetCredit> verifiedResetCredits(const nlohmann::json* value);

/// The `account/usage/read` result; absent when it holds neither a lifetime total nor a day.
[[nodiscard]] std::optional<AccountTokenUsage> parseAccountTokenUsage(const nlohmann::json* result);

}  // namespace ostrel::CodexUsageParser
