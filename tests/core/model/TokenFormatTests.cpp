#include "model/TokenFormat.h"

#include <array>
#include <cstdint>
#include <limits>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(TokenFormat, ShortensCountsToThreeFiguresWithoutTrailingZeros)
{
    struct Case
    {
        std::string_view name;
        std::int64_t count;
        std::string_view text;
    };

    constexpr auto cases = std::to_array<Case>({
        {"below a thousand", 999, "999"},
        {"negative values stay plain", -5, "-5"},
        {"two decimals below ten", 1234, "1.23K"},
        {"one decimal from ten", 12345, "12.3K"},
        {"the suffix does not roll over", 999999, "1000K"},
        {"the largest count", std::numeric_limits<std::int64_t>::max(), "9223372T"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TokenFormat::shortText(c.count), c.text);
    }
}

}  // namespace
}  // namespace ostrel
