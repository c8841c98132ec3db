#include "model/JsonReading.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace ostrel {
namespace {

using nlohmann::json;

TEST(JsonReading, ReadsIntegersTruncatedAndWithinSixtyFourBits)
{
    struct Case
    {
        std::string_view name;
        std::string_view json;
        std::optional<std::int64_t> expected;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a fraction truncated toward zero", "-7.9", -7},
        {"a decimal string", R"("1e6")", 1000000},
        {"the largest double below 2^63", "9223372036854774784", 9223372036854774784},
        {"2^63 does not fit", "9223372036854775808", std::nullopt},
        {"an infinite string", R"("inf")", std::nullopt},
        {"text", R"("twelve")", std::nullopt},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const json value = json::parse(c.json);
        EXPECT_EQ(JsonReading::integer(&value), c.expected);
    }
}

TEST(JsonReading, ReadsDecimalTextWithAnOptionalSignAndNothingElse)
{
    struct Case
    {
        std::string_view name;
        std::string_view text;
        std::optional<double> expected;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a lone plus sign", "+", std::nullopt},
        {"a space after the sign", "+ 5", std::nullopt},
        {"an infinity with a sign", "+inf", std::nullopt},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonReading::decimal(c.text), c.expected);
    }
}

}  // namespace
}  // namespace ostrel
