#include "model/RelativeAge.h"

#include <array>
#include <limits>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(RelativeAge, TruncatesToOneCompactUnit)
{
    struct Case
    {
        std::string_view name;
        double secondsAgo;
        std::string_view expected;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a moment ago", 0, "now"},
        {"just under a minute", 59, "now"},
        {"a minute", 60, "1m"},
        {"just under an hour", 3599, "59m"},
        {"an hour", 3600, "1h"},
        {"just under two days stays in hours", 172799, "47h"},
        {"two days", 172800, "2d"},
        {"a date in the future", -300, "now"},
        {"an age that is not a number", std::numeric_limits<double>::quiet_NaN(), "now"},
    });
    const Date now = dateFromReference(800'000'000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RelativeAge::text(now - Seconds{c.secondsAgo}, now), c.expected);
    }
}

}  // namespace
}  // namespace ostrel
