#include "model/Pacing.h"

#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

constexpr double hour = 3600;
const Date now = dateFromReference(800'000'000);

UsageWindow weekWindow(double usedPercent, std::optional<double> hoursToRenewal)
{
    UsageWindow window{.usedPercent = usedPercent};
    if (hoursToRenewal) {
        window.resetsAt = now + Seconds{*hoursToRenewal * hour};
    }
    return window;
}

TEST(Pacing, GradesWindowsByAllowanceAgainstTimeLeft)
{
    struct Case
    {
        std::string_view name;
        UsageWindow window;
        PaceTier tier;
        int cells;
        bool resetWarning;
    };

    const auto cases = std::to_array<Case>({
        {"unused, halfway through", weekWindow(0, 84), PaceTier::blue, 5, false},
        {"mostly used, renews in 40 hours", weekWindow(85, 40), PaceTier::yellow, 1, false},
        {"nearly all used, plenty of time", weekWindow(90, 160), PaceTier::red, 1, false},
        {"exactly twice the pace at the blue minimum", weekWindow(80, 16.8), PaceTier::blue, 1, true},
        {"twice the pace below the blue minimum", weekWindow(81, 16.8), PaceTier::green, 1, false},
        {"no renewal time is never blue", weekWindow(0, std::nullopt), PaceTier::green, 5, false},
        {"renewal passed, a fifth left", weekWindow(80, -3), PaceTier::blue, 1, true},
        {"renewal passed, nothing left", weekWindow(100, -3), PaceTier::red, 0, false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pace pace = Pace::make(c.window, now);
        EXPECT_EQ(pace.tier, c.tier);
        EXPECT_EQ(pace.litCells, c.cells);
        EXPECT_EQ(pace.resetWarning, c.resetWarning);
    }
}

TEST(Pacing, MeasuresTimeLeftAgainstAllowanceLeft)
{
    UsageWindow zeroDuration = weekWindow(30, 10);
    zeroDuration.duration = 0;

    struct Case
    {
        std::string_view name;
        UsageWindow window;
        std::optional<double> timeFraction;
        double ratio;
        std::string_view timeText;
    };

    const auto cases = std::to_array<Case>({
        {"unused halfway through the week", weekWindow(0, 84), 0.5, 2, "4d"},
        {"no renewal time", weekWindow(30, std::nullopt), std::nullopt, 0.7, "\u2014"},
        {"a window of no length", zeroDuration, std::nullopt, 0.7, "\u2014"},
        {"a renewal already passed", weekWindow(50, -3), 0.0, std::numeric_limits<double>::infinity(), "0m"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Pace pace = Pace::make(c.window, now);
        EXPECT_EQ(pace.timeFraction, c.timeFraction);
        EXPECT_DOUBLE_EQ(pace.ratio, c.ratio);
        EXPECT_EQ(pace.timeText(), c.timeText);
    }
}

TEST(Pacing, NeverShowsASliverAsEmptyNorANearlyFullAllowanceAsFull)
{
    struct Case
    {
        double fraction;
        int percent;
        int cells;
    };

    constexpr auto cases = std::to_array<Case>({
        {0.004, 1, 1},
        {0.996, 99, 4},
        {1, 100, 5},
        {0, 0, 0},
        {std::numeric_limits<double>::quiet_NaN(), 0, 0},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fraction);
        EXPECT_EQ(Pace::percent(c.fraction), c.percent);
        EXPECT_EQ(Pace::cells(c.fraction), c.cells);
    }
}

TEST(Pacing, WritesTimeRemainingCompactly)
{
    struct Case
    {
        double seconds;
        std::string_view text;
    };

    constexpr auto cases = std::to_array<Case>({
        {-50, "0m"},
        {30, "1m"},
        {86400, "24h"},
        {129600, "1d 12h"},
        {129601, "2d"},
        {std::numeric_limits<double>::quiet_NaN(), "0m"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(Pace::formatTimeRemaining(c.seconds), c.text);
    }
}

TEST(Pacing, MarksTheSummaryLineOfAnAllowanceLeftUnusedBeforeTheRenewal)
{
    EXPECT_EQ(Pace::make(weekWindow(0, 40), now).emojiLine("Codex"),
              "\U0001F7E6\U0001F7E6\U0001F7E6\U0001F7E6\U0001F7E6 Codex \u00B7 100% \u00B7 2d \u23F3");
}

}  // namespace
}  // namespace ostrel
