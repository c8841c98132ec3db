#include "model/RenewalText.h"

#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include <gtest/gtest.h>

#include "support/CivilTime.h"

namespace ostrel {
namespace {

using testing::Civil;

RenewalText texts(std::string_view zone, std::string_view locale)
{
    std::optional<RenewalText> made = RenewalText::make(zone, locale);
    if (!made) {
        ADD_FAILURE() << "no zone " << zone;
        return *RenewalText::make("UTC", locale);
    }
    return *made;
}

/// A wall-clock time in the zone of the texts under test.
Date at(const RenewalText& texts, Civil civil)
{
    return testing::localDate(texts.calendar(), civil);
}

// 2026-12-03 is a Thursday.
constexpr Civil thursdayNoon{2026, 12, 3, 12, 0};
constexpr Civil thursdayEvening{2026, 12, 3, 22, 0};

TEST(RenewalText, WordsRenewalsRelativeToNowInUsEnglish)
{
    struct Case
    {
        std::string_view name;
        Civil now;
        Civil date;
        std::string_view expected;
    };

    constexpr auto cases = std::to_array<Case>({
        {"31 seconds ahead rounds to the next minute", thursdayNoon, {2026, 12, 3, 12, 0, 31}, "in 1 minute"},
        {"minutes that round to 60", {2026, 12, 3, 12, 0, 10}, {2026, 12, 3, 12, 59, 50}, "in 1 hour"},
        {"exactly an hour ahead takes the day form", thursdayNoon, {2026, 12, 3, 13, 0}, "today at 1 PM"},
        {"just after midnight is tomorrow", thursdayEvening, {2026, 12, 4, 0, 30}, "tomorrow at 12:30 AM"},
        {"six days ahead names the weekday", thursdayNoon, {2026, 12, 9, 15, 0}, "Wednesday at 3 PM"},
        {"seven days ahead gives the date", thursdayNoon, {2026, 12, 10, 9, 30}, "Dec 10 at 9:30 AM"},
        // New York springs forward on 2026-03-08 and falls back on 2026-11-01.
        {"a calendar week across the spring change is only 167 hours",
         {2026, 3, 1, 21, 0},
         {2026, 3, 8, 21, 0},
         "Mar 8 at 9 PM"},
        {"tomorrow across the autumn change is 25 hours away",
         {2026, 10, 31, 23, 0},
         {2026, 11, 1, 23, 30},
         "tomorrow at 11:30 PM"},
    });
    const RenewalText us = texts("America/New_York", "en_US");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(us.when(at(us, c.date), at(us, c.now)), c.expected);
    }
}

TEST(RenewalText, WritesClockTimesAndStampsRoundedToTheMinuteOrMarksThemUnknown)
{
    const RenewalText us = texts("America/New_York", "en_US");
    const Date unknown = dateFromSince1970(std::numeric_limits<double>::quiet_NaN());
    // A clock time drops its minutes only when the rounded time is on the hour.
    EXPECT_EQ(us.clock(at(us, {2026, 12, 3, 14, 59, 40})), "3 PM");
    EXPECT_EQ(us.clock(at(us, {2026, 12, 3, 14, 59, 29})), "2:59 PM");
    EXPECT_EQ(us.clock(at(us, {2026, 7, 1, 15, 30})), "3:30 PM");
    EXPECT_EQ(us.stamp(at(us, {2026, 12, 7, 15, 40})), "Mon, Dec 7, 3:40 PM");
    EXPECT_EQ(us.when(unknown, at(us, thursdayNoon)), "\u2014");
    EXPECT_EQ(us.clock(unknown), "\u2014");
    EXPECT_EQ(us.stamp(unknown), "\u2014");
    // Same instant, read in another zone and a 24-hour locale.
    EXPECT_EQ(texts("Europe/Berlin", "de_DE.UTF-8").clock(at(us, {2026, 7, 1, 15, 30})), "21:30");
}

TEST(RenewalText, WordsDurationsInTheLargestFittingUnits)
{
    struct Case
    {
        std::string_view name;
        double seconds;
        std::string_view expected;
    };

    constexpr auto cases = std::to_array<Case>({
        {"a few seconds count as a minute", 10, "1 minute"},
        {"up to a day and a half in hours", 90000, "25 hours"},
        {"a day and a half", 129600, "1 day 12 hours"},
        {"three days drop the hours", 259200, "3 days"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(RenewalText::duration(c.seconds), c.expected);
    }
    EXPECT_EQ(RenewalText::duration(std::numeric_limits<double>::quiet_NaN()), "1 minute");
    EXPECT_TRUE(RenewalText::duration(std::numeric_limits<double>::infinity()).ends_with(" days"));
}

}  // namespace
}  // namespace ostrel
