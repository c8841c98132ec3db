#include "model/WindowOutlook.h"

#include <array>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

constexpr double hour = 3600;
constexpr double day = 86400;
const Date now = dateFromSince1970(1'800'000'000);

/// A window of `duration` renewing `left` seconds from now, `used` percent used.
UsageWindow window(double used, double left, double duration = UsageWindow::week)
{
    return {used, now + Seconds{left}, duration};
}

TEST(WindowOutlook, FindsTheWindowThatRunsOutFirstAndSaysWhen)
{
    struct Case
    {
        std::string_view name;
        ProviderReading reading;
        std::vector<AllowancePoint> history;
        std::vector<std::string> order;  ///< the keys, binding ones first
        std::string sentence;            ///< of the binding window; empty when none binds
    };

    const auto week = window(30, 3.5 * day);  // half the week gone, 30 % used: on pace
    const std::vector<Case> cases{
        {"only a weekly window on pace binds nothing", {.weekly = week}, {}, {"weekly"}, ""},
        {"the Sonnet week, at its average, runs out 2 days before it renews",
         {.weekly = week,
          .otherWindows = {{"model:Opus 4", "Opus 4", window(10, 3.5 * day)},
                           {"seven_day_sonnet", "Sonnet · week", window(80, 3.5 * day)}}},
         {},
         {"seven_day_sonnet", "weekly", "model:Opus 4"},
         "At this pace the Sonnet week runs out in about 21 h, 3 days before it renews."},
        {"of those that bind, the sooner comes first; a period the history does not match is left out",
         {.weekly = window(70, 3 * day),
          .session = window(90, 1 * hour, 5 * hour),
          .otherWindows = {{"m", "Opus 4", window(100, 2 * day)}}},
         {{now - Seconds{day}, 40, now + Seconds{4 * day}},
          {now - Seconds{hour}, 69, now + Seconds{3 * day}},
          {now - Seconds{2 * day}, 10, now + Seconds{3 * day}}},
         {"m", "session", "weekly"},
         "The Opus 4 week is used up until it renews in 2 days."},
        {"a weekly history with no use since binds nothing, whatever the average",
         {.weekly = window(90, 5 * day)},
         {{now - Seconds{day}, 90, now + Seconds{5 * day}}, {now - Seconds{hour}, 90, now + Seconds{5 * day}}},
         {"weekly"},
         ""},
        {"a period that is over has renewed", {.session = window(100, -hour, 5 * hour)}, {}, {"session"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outlooks = windowOutlooks(c.reading, c.history, now);
        std::vector<std::string> order;
        for (const auto& outlook : outlooks) {
            order.push_back(outlook.key);
        }
        EXPECT_EQ(order, c.order);
        const auto binding = bindingWindow(outlooks);
        EXPECT_EQ(binding ? runOutSentence(*binding, now) : "", c.sentence);
    }
}

}  // namespace
}  // namespace ostrel
