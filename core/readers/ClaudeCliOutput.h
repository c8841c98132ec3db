#pragma once
// What the claude tool's two fallback commands print, read into values: the
// usage report text of `claude -p /usage --output-format json`, and the verdict
// of `claude auth status --json` for accounts without a personal allowance.

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "model/Date.h"
#include "model/ProviderReading.h"

namespace ostrel::ClaudeCliOutput {

/// The report text, or notLoggedIn, or unexpected with the last 200 characters
/// of what was printed; a run ended by its time-out is unreachable.
[[nodiscard]] std::expected<std::string, FetchFailure>
usageText(std::string_view standardOutput, std::string_view standardError, bool timedOut);

/// notLoggedIn for a signed-out account, a reading (`source` "claude auth status")
/// for API billing, cloud providers, gateways and organisation plans; absent
/// when the status gives no verdict or cannot be read.
[[nodiscard]] std::optional<FetchResult> authVerdict(std::string_view standardOutput, Date now);

/// "bedrock" is "Amazon Bedrock"; any other name gets capitalised words.
[[nodiscard]] std::string providerName(std::string_view apiProvider);

}  // namespace ostrel::ClaudeCliOutput
