#pragma once
// A JSON number as the JSON library would hold it once parsed: an unsigned
// integer, a negative integer, or a double for everything else (fractions,
// exponents, integers beyond 64 bits), converted with correct rounding.

#include <cstdint>
#include <optional>
#include <string_view>

namespace ostrel {

/// The pieces of a number's text: all of it, its integer digits, its fraction
/// digits and its exponent with the sign (null views where a part is missing).
struct NumberText
{
    std::string_view whole;
    std::string_view integer;
    std::string_view fraction;
    std::string_view exponent;
    bool negative = false;
};

struct JsonNumber
{
    enum class Kind
    {
        unsignedInteger,
        negativeInteger,
        fraction
    };

    Kind kind = Kind::fraction;
    std::uint64_t magnitude = 0;  ///< the integer's absolute value
    double value = 0;             ///< the number as a double, whatever its kind

    /// The number of a text that follows the grammar; absent when it is too
    /// large for a double, which the parser refuses.
    [[nodiscard]] static std::optional<JsonNumber> read(const NumberText& text);
};

}  // namespace ostrel
