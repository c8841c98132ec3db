#pragma once
// The pace tiers' colours as plain sRGB, shared by the drawn marks and the
// text outputs (bars colour their text with the same hues the tray shows).

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

#include "model/Pacing.h"

namespace ostrel {

struct Rgb
{
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    /// "#rrggbb".
    [[nodiscard]] std::string hex() const
    {
        std::array<char, 8> text{};
        std::snprintf(text.data(), text.size(), "#%02x%02x%02x", red, green, blue);
        return {text.data(), 7};
    }
};

/// The lit cell's bottom colour, also the tier's colour in text and charts.
[[nodiscard]] constexpr Rgb tierRgb(PaceTier tier)
{
    switch (tier) {
    case PaceTier::blue:
        return {61, 139, 255};
    case PaceTier::green:
        return {47, 203, 110};
    case PaceTier::yellow:
        return {255, 197, 61};
    case PaceTier::red:
        break;
    }
    return {255, 77, 79};
}

}  // namespace ostrel
