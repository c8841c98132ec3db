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
        {"just under a minute", 59, "now"},
        {"a minute", 60, "1m"},
        {"an hour", 3600, "1h"},
        {"just under two days stays in hours", 172799, "47h"},
        {"two days", 172800, "2d"},
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
