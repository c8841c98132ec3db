#include "model/ClockTime.h"

#include <array>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ClockTime, ReadsOnlyWholeTimesOfDayAndLabelsThemOnATwelveHourClock)
{
    struct Case
    {
        std::string_view text;
        std::optional<ClockTime> read;
        std::string_view stored;
        std::string_view label;
    };

    const auto cases = std::to_array<Case>({
        {"06:00", ClockTime{6, 0}, "06:00", "6:00 AM"},
        {"7:05", ClockTime{7, 5}, "07:05", "7:05 AM"},
        {"0:00", ClockTime{0, 0}, "00:00", "12:00 AM"},
        {"12:30", ClockTime{12, 30}, "12:30", "12:30 PM"},
        {"23:59", ClockTime{23, 59}, "23:59", "11:59 PM"},
        {"24:00", std::nullopt, "", ""},
        {"7:60", std::nullopt, "", ""},
        {"7:5", std::nullopt, "", ""},
        {"-1:00", std::nullopt, "", ""},
        {"7:00pm", std::nullopt, "", ""},
        {"", std::nullopt, "", ""},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<ClockTime> read = ClockTime::parse(c.text);
        EXPECT_EQ(read, c.read);
        if (read) {
            EXPECT_EQ(read->text(), c.stored);
            EXPECT_EQ(read->label(), c.label);
        }
    }
}

}  // namespace
}  // namespace ostrel
