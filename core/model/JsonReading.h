#pragma once
// Lenient reading of JSON that outside programs write: a missing member, or one
// of another type than asked for, is simply absent and never an error. Our own
// files are read strictly through Json.h instead.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace ostrel::JsonReading {

/// The member `key` of an object; null when `value` is null, no object, or lacks it.
[[nodiscard]] const nlohmann::json* member(const nlohmann::json* value, std::string_view key);

/// `value` itself when it is an object, else null.
[[nodiscard]] const nlohmann::json* object(const nlohmann::json* value);

/// `value` itself when it is an array, else null.
[[nodiscard]] const nlohmann::json* array(const nlohmann::json* value);

[[nodiscard]] std::optional<std::string> string(const nlohmann::json* value);

/// Exactly the JSON value true.
[[nodiscard]] bool isTrue(const nlohmann::json* value);

/// A JSON number (true and false count as 1 and 0) or a string holding a
/// finite decimal number and nothing else; absent otherwise, including a missing value.
[[nodiscard]] std::optional<double> number(const nlohmann::json* value);

/// Text that is entirely a finite decimal number ("12.5", "-3", "+5", "1e6").
[[nodiscard]] std::optional<double> decimal(std::string_view text);

/// `number`, truncated toward zero; absent when it does not fit in 64 bits.
[[nodiscard]] std::optional<std::int64_t> integer(const nlohmann::json* value);

}  // namespace ostrel::JsonReading
