#pragma once
// The few fields of one Codex token_count line that the activity scanner uses,
// read in one pass of a validating JSON reader that keeps nothing else and
// builds no document: the line must still be one valid JSON object. A member
// that appears twice counts as its last appearance, as in a parsed document;
// numbers follow the lenient reading of outside programs' JSON (a number, true
// or false as 1 or 0, or a string holding a decimal number).

#include <optional>
#include <string>
#include <string_view>

namespace ostrel::CodexLine {

struct Usage
{
    bool isObject = false;
    std::optional<double> input;   ///< "input_tokens"
    std::optional<double> cached;  ///< "cached_input_tokens"
    std::optional<double> output;  ///< "output_tokens"
    std::optional<double> total;   ///< "total_tokens"

    bool operator==(const Usage&) const = default;
};

struct Window
{
    bool isObject = false;
    std::optional<double> minutes;      ///< "window_minutes"
    std::optional<double> usedPercent;  ///< "used_percent"
    std::optional<double> resetsAt;     ///< "resets_at", seconds since 1970
    std::optional<double> resetsIn;     ///< "resets_in_seconds"

    bool operator==(const Window&) const = default;
};

struct Fields
{
    std::optional<std::string> timestamp;  ///< top-level "timestamp", when a string
    bool payloadIsObject = false;
    bool infoIsObject = false;
    Usage totalUsage;  ///< payload.info.total_token_usage
    Usage lastUsage;   ///< payload.info.last_token_usage
    bool limitsIsObject = false;
    std::optional<std::string> limitId;  ///< payload.rate_limits.limit_id, when a string
    Window primary;
    Window secondary;

    bool operator==(const Fields&) const = default;
};

/// The fields of `line`; absent when it is not one JSON object.
[[nodiscard]] std::optional<Fields> read(std::string_view line);

}  // namespace ostrel::CodexLine
