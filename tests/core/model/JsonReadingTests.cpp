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

TEST(JsonReading, TreatsMissingMembersAndOtherTypesAsAbsent)
{
    const json document = json::parse(R"({"name": "Plus", "count": 3, "nested": {"on": true}, "list": [1]})");
    EXPECT_EQ(JsonReading::string(JsonReading::member(&document, "name")), "Plus");
    EXPECT_EQ(JsonReading::string(JsonReading::member(&document, "count")), std::nullopt);
    EXPECT_EQ(JsonReading::member(&document, "missing"), nullptr);
    EXPECT_EQ(JsonReading::member(JsonReading::member(&document, "list"), "on"), nullptr);
    EXPECT_EQ(JsonReading::object(JsonReading::member(&document, "list")), nullptr);
    EXPECT_NE(JsonReading::array(JsonReading::member(&document, "list")), nullptr);
    EXPECT_TRUE(JsonReading::isTrue(JsonReading::member(JsonReading::member(&document, "nested"), "on")));
    EXPECT_FALSE(JsonReading::isTrue(JsonReading::member(&document, "count")));
    EXPECT_EQ(JsonReading::member(nullptr, "name"), nullptr);
}

TEST(JsonReading, ReadsIntegersTruncatedAndWithinSixtyFourBits)
{
    struct Case
    {
        std::string_view name;
        std::string_view json;
        std::optional<std::int64_t> expected;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a whole number", "42", 42},
        {"a fraction truncated toward zero", "-7.9", -7},
        {"a decimal string", R"("1e6")", 1000000},
        {"a boolean", "true", 1},
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
        {"a whole number", "5", 5},
        {"a plus sign", "+5", 5},
        {"a minus sign", "-5", -5},
        {"a plus sign before a fraction", "+2.5e1", 25},
        {"a lone plus sign", "+", std::nullopt},
        {"two signs", "+-5", std::nullopt},
        {"two plus signs", "++5", std::nullopt},
        {"a space after the sign", "+ 5", std::nullopt},
        {"a leading space", " 5", std::nullopt},
        {"an infinity with a sign", "+inf", std::nullopt},
        {"empty text", "", std::nullopt},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonReading::decimal(c.text), c.expected);
    }
}

}  // namespace
}  // namespace ostrel
