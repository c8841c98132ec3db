#include "activity/JsonNumber.h"

#include <charconv>
#include <cmath>

namespace ostrel {
namespace {

[[nodiscard]] constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Whether a number whose conversion left the range of a double was too large
/// (rather than too small): the power of ten of its first significant digit is
/// positive. Conversions fail only far beyond 1e308 or below 1e-323, so the
/// sign alone decides. `integer` and `fraction` are the digits, `exponent` the
/// text after the 'e' with its sign.
[[nodiscard]] bool overflows(std::string_view integer, std::string_view fraction, std::string_view exponent)
{
    std::int64_t power = 0;
    const bool negative = !exponent.empty() && exponent.front() == '-';
    for (const char c : exponent) {
        if (isDigit(c) && power < 1000000000) {
            power = power * 10 + (c - '0');
        }
    }
    power = negative ? -power : power;
    const std::size_t leading = integer.find_first_not_of('0');
    if (leading != std::string_view::npos) {
        return power + static_cast<std::int64_t>(integer.size() - leading) > 0;
    }
    const std::size_t zeros = fraction.find_first_not_of('0');
    return power - static_cast<std::int64_t>(zeros == std::string_view::npos ? fraction.size() : zeros) > 0;
}

/// The number as an integer of 64 bits, when it is written as one and fits.
[[nodiscard]] std::optional<JsonNumber> integerOf(const NumberText& text)
{
    if (text.fraction.data() != nullptr || text.exponent.data() != nullptr || text.integer.size() > 20) {
        return std::nullopt;
    }
    std::uint64_t magnitude = 0;
    for (const char c : text.integer) {
        if (__builtin_mul_overflow(magnitude, 10U, &magnitude)
            || __builtin_add_overflow(magnitude, static_cast<unsigned>(c - '0'), &magnitude)) {
            return std::nullopt;
        }
    }
    constexpr std::uint64_t negativeLimit = std::uint64_t{1} << 63;
    if (text.negative && magnitude > negativeLimit) {
        return std::nullopt;
    }
    // The double nearest the integer, as a conversion of the integer gives (-0 is 0).
    const double value = text.negative ? -static_cast<double>(magnitude) + 0.0 : static_cast<double>(magnitude);
    return JsonNumber{text.negative ? JsonNumber::Kind::negativeInteger : JsonNumber::Kind::unsignedInteger,
                      magnitude,
                      value};
}

/// Any other number as the nearest double; absent when it is too large for one,
/// which the parser refuses.
[[nodiscard]] std::optional<JsonNumber> fractionOf(const NumberText& text)
{
    JsonNumber number;
    const auto [end, error] = std::from_chars(text.whole.data(), text.whole.data() + text.whole.size(), number.value);
    if (error == std::errc::result_out_of_range) {
        if (overflows(text.integer, text.fraction, text.exponent)) {
            return std::nullopt;
        }
        number.value = text.negative ? -0.0 : 0.0;
    } else if (error != std::errc{} || end != text.whole.data() + text.whole.size() || !std::isfinite(number.value)) {
        return std::nullopt;
    }
    return number;
}

}  // namespace

std::optional<JsonNumber> JsonNumber::read(const NumberText& text)
{
    auto number = integerOf(text);
    return number ? number : fractionOf(text);
}

}  // namespace ostrel
