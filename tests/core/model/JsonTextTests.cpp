#include "model/JsonText.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(JsonText, CountsTheNestingOfBracketsOutsideStringsOnly)
{
    struct Case
    {
        std::string_view name;
        std::string_view text;
        bool withinTwo;
    };

    constexpr auto cases = std::to_array<Case>({
        {"three levels", R"({"a":[[1]]})", false},
        {"siblings do not add up", R"([[1],[2],{"b":3}])", true},
        {"brackets inside a string", R"(["[[[{{{"])", true},
        {"an escaped quote does not end the string", R"(["\"[[[", 1])", true},
        {"an escaped backslash does", R"(["\\", [[1]]])", false},
        {"surplus closers lend no depth", R"(]]]][[[)", false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(JsonText::nestsWithin(c.text, 2), c.withinTwo);
    }
}

}  // namespace
}  // namespace ostrel
