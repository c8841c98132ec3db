#include "settings/SettingChoices.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(SettingChoices, EveryRawValueReadsBackAsItsCase)
{
    for (TrayStyle style : allTrayStyles) {
        EXPECT_EQ(trayStyleFromRawValue(rawValue(style)), style);
    }
    for (PanelTab tab : allPanelTabs) {
        EXPECT_EQ(panelTabFromRawValue(rawValue(tab)), tab);
    }
    for (ActivityRange range : allActivityRanges) {
        EXPECT_EQ(activityRangeFromRawValue(rawValue(range)), range);
    }
    for (ActivityMeasure measure : allActivityMeasures) {
        EXPECT_EQ(activityMeasureFromRawValue(rawValue(measure)), measure);
    }
    EXPECT_EQ(rawValue(ActivityMeasure::fresh), "New only");
    EXPECT_EQ(trayStyleFromRawValue("Bars"), std::nullopt) << "raw values are case-sensitive";
}

TEST(SettingChoices, LabelsIntervalsInMinutesBelowAnHourAndInHoursAbove)
{
    struct Case
    {
        int minutes;
        std::string_view label;
    };

    constexpr auto cases = std::to_array<Case>({
        {30, "30 minutes"},
        {60, "hour"},
        {120, "2 hours"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minutes);
        EXPECT_EQ(refreshIntervalLabel(c.minutes), c.label);
    }
}

}  // namespace
}  // namespace ostrel
