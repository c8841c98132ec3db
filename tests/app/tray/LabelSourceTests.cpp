#include "tray/LabelSource.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

const Date now = dateFromSince1970(1'800'000'000);
constexpr double halfAWeek = 302400;

ProviderDisplay display(double sonnetUsed)
{
    ProviderReading reading{.provider = Provider::claude, .fetchedAt = now - Seconds{60}};
    reading.weekly = UsageWindow{30, now + Seconds{halfAWeek}, UsageWindow::week};
    reading.otherWindows = {
        {"seven_day_sonnet", "Sonnet · week", {sonnetUsed, now + Seconds{halfAWeek}, UsageWindow::week}}};
    return ProviderDisplay::make(ProviderSnapshot{reading, now, std::nullopt}, Provider::claude, now, 7800);
}

TEST(LabelSource, TheGaugeShowsTheWindowThatRunsOutFirstOnlyWhenAskedAndOneDoes)
{
    struct Case
    {
        std::string_view name;
        GaugeWindow gauge;
        double sonnetUsed;
        PaceTier tier;
        int cells;
        bool noted;
    };

    constexpr auto cases = std::to_array<Case>({
        {"the weekly allowance, as by default", GaugeWindow::weekly, 80, PaceTier::green, 4, false},
        {"the Sonnet week, which runs out first", GaugeWindow::binding, 80, PaceTier::yellow, 1, true},
        {"asked for, but nothing runs out first", GaugeWindow::binding, 20, PaceTier::green, 4, false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProviderDisplay shown = gaugeDisplay(display(c.sonnetUsed), c.gauge, now);
        ASSERT_TRUE(shown.pace);
        EXPECT_EQ(shown.pace->tier, c.tier);
        EXPECT_EQ(shown.pace->litCells, c.cells);
        EXPECT_EQ(gaugeNote(display(c.sonnetUsed), c.gauge).has_value(), c.noted);
    }
    EXPECT_EQ(gaugeNote(display(80), GaugeWindow::binding),
              "\u21B3 The cells show the Sonnet week, which runs out first.");
}

}  // namespace
}  // namespace ostrel
