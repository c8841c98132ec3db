#pragma once
// Turns what the Claude side returns (the usage endpoint's JSON body, or the
// text `claude /usage` prints) into one reading for provider claude, or into
// the precise failure. Pure functions: text in, values out.

#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>
#include <unicode/timezone.h>

#include "model/Date.h"
#include "model/ProviderReading.h"
#include "readers/ClaudePlan.h"

namespace ostrel::ClaudeUsageParser {

/// The failure text of a report without a weekly line. Current tools print a
/// cost summary there, so the text points at the status line, which does
/// carry the allowance; one sentence, as the card and the tooltip show it whole.
inline constexpr std::string_view noAllowanceText =
    "Claude Code didn't report its weekly allowance; add Ostrel to its status line "
    "(Settings › Command-line tools) to read it from there.";

/// The usage endpoint's body; `source` "usage API".
[[nodiscard]] FetchResult parseAPI(std::string_view body, const ClaudePlan& plan, Date now);

/// The `claude /usage` report; `source` "claude /usage". A reset phrase is read in
/// the zone the report names, else in `localZone` (the user's).
[[nodiscard]] FetchResult
parseCLIText(std::string_view text, const ClaudePlan& plan, Date now, const icu::TimeZone& localZone);

/// The text says, in any letter case, that the user must sign in again.
[[nodiscard]] bool looksSignedOut(std::string_view text);

/// A JSON number (true and false count as 1 and 0) or a string holding a decimal
/// number; absent for anything else, including a missing value.
[[nodiscard]] std::optional<double> number(const nlohmann::json* value);

}  // namespace ostrel::ClaudeUsageParser
