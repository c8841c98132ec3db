#include "model/JsonReading.h"

#include <charconv>
#include <cmath>

#include <nlohmann/json.hpp>

namespace ostrel::JsonReading {

using nlohmann::json;

std::optional<double> decimal(std::string_view text)
{
    // from_chars takes a minus sign only; a plus before a digit or point means the same number.
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') {
        text.remove_prefix(1);
    }
    double parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    // A non-finite value could not be written back into our own files.
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || !std::isfinite(parsed)) {
        return std::nullopt;
    }
    return parsed;
}

const json* member(const json* value, std::string_view key)
{
    if (value == nullptr || !value->is_object()) {
        return nullptr;
    }
    const auto found = value->find(key);
    return found == value->end() ? nullptr : &*found;
}

const json* object(const json* value)
{
    return value != nullptr && value->is_object() ? value : nullptr;
}

const json* array(const json* value)
{
    return value != nullptr && value->is_array() ? value : nullptr;
}

std::optional<std::string> string(const json* value)
{
    return value != nullptr && value->is_string() ? std::optional(value->get<std::string>()) : std::nullopt;
}

bool isTrue(const json* value)
{
    return value != nullptr && value->is_boolean() && value->get<bool>();
}

std::optional<double> number(const json* value)
{
    if (value == nullptr) {
        return std::nullopt;
    }
    if (value->is_boolean()) {
        return value->get<bool>() ? 1.0 : 0.0;
    }
    if (value->is_number()) {
        return value->get<double>();
    }
    if (value->is_string()) {
        return decimal(value->get_ref<const std::string&>());
    }
    return std::nullopt;
}

std::optional<std::int64_t> integer(const json* value)
{
    const auto parsed = number(value);
    constexpr double limit = 9223372036854775808.0;  // 2^63
    if (!parsed || !std::isfinite(*parsed) || *parsed >= limit || *parsed < -limit) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*parsed);
}

}  // namespace ostrel::JsonReading
