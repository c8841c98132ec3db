#include "model/ClockTime.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace ostrel {
namespace {

/// The whole of `digits` as a number in [0, limit]; absent for anything else.
std::optional<int> number(std::string_view digits, int limit)
{
    int value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || error != std::errc() || stop != end || value < 0 || value > limit) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<ClockTime> ClockTime::parse(std::string_view text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon > 2 || text.size() - colon != 3) {
        return std::nullopt;
    }
    const auto hour = number(text.substr(0, colon), 23);
    const auto minute = number(text.substr(colon + 1), 59);
    if (!hour || !minute) {
        return std::nullopt;
    }
    return ClockTime{.hour = *hour, .minute = *minute};
}

std::string ClockTime::text() const
{
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%02d:%02d", hour, minute);
    return buffer.data();
}

std::string ClockTime::label() const
{
    const int twelve = hour % 12 == 0 ? 12 : hour % 12;
    std::array<char, 32> buffer{};
    std::snprintf(buffer.data(), buffer.size(), "%d:%02d %s", twelve, minute, hour < 12 ? "AM" : "PM");
    return buffer.data();
}

}  // namespace ostrel
