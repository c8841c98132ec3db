#include "panel/card/LimitsList.h"

#include <array>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

const Date now = dateFromSince1970(1'800'000'000);
constexpr double day = 86400;

ProviderReading reading(double weeklyUsed, double sessionUsed, std::vector<LimitWindow> others = {})
{
    return {.weekly = UsageWindow{weeklyUsed, now + Seconds{3.5 * day}, UsageWindow::week},
            .session = UsageWindow{sessionUsed, now + Seconds{3600}, UsageWindow::fiveHours},
            .otherWindows = std::move(others)};
}

TEST(LimitsList, ListsTheWindowsOnlyWhereTheyTellMoreThanTheGauge)
{
    struct Case
    {
        std::string_view name;
        ProviderReading reading;
        std::vector<std::string> labels;  ///< the rows, in order; none: the list is hidden
        std::string firstFigures;
    };

    const std::vector<Case> cases{
        {"the week and an idle session: the gauge says it all", reading(30, 10), {}, ""},
        {"the week itself running short: the gauge says that too", reading(90, 10), {}, ""},
        {"the session running out first", reading(30, 95), {"Session", "Week"}, "95% used · renews in 1h"},
        {"a further window, though nothing binds",
         reading(30, 10, {{"seven_day_opus", "Opus · week", {5, now + Seconds{3.5 * day}, UsageWindow::week}}}),
         {"Week", "Session", "Opus · week"},
         "30% used · renews in 4d"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto rows = LimitsList::rows(windowOutlooks(c.reading, {}, now), !c.reading.otherWindows.empty(), now);
        std::vector<std::string> labels;
        for (const auto& row : rows) {
            labels.push_back(row.label);
        }
        EXPECT_EQ(labels, c.labels);
        EXPECT_EQ(rows.empty() ? "" : rows.front().figures, c.firstFigures);
        LimitsList list;
        list.set(rows, "");
        EXPECT_EQ(list.isHidden(), rows.empty());
    }
}

}  // namespace
}  // namespace ostrel
