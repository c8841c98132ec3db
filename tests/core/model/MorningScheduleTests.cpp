#include "model/MorningSchedule.h"

#include <array>
#include <limits>
#include <memory>
#include <string_view>

#include <gtest/gtest.h>
#include <unicode/simpletz.h>

#include "support/CivilTime.h"

namespace ostrel {
namespace {

using testing::calendarIn;
using testing::Civil;
using testing::localDate;

// New York: clocks go forward at 2:00 on 2027-03-14 and back at 2:00 on
// 2026-11-01, so 6:00 exists on both days but the days last 23 and 25 hours.
const std::unique_ptr<icu::Calendar> newYork = calendarIn("America/New_York");

// A zone whose clocks change at 6:00 itself: on 2027-03-14 they jump from
// 6:00 to 7:00 and on 2026-11-01 from 7:00 back to 6:00 (UTC−5, UTC−4 in summer).
icu::TimeZone* dawnZone()
{
    constexpr int32_t hour = 3600 * 1000;
    auto* zone = new icu::SimpleTimeZone(-5 * hour, icu::UnicodeString("Test/Dawn"));
    UErrorCode status = U_ZERO_ERROR;
    zone->setStartRule(UCAL_MARCH, 14, 0, 6 * hour, status);
    zone->setEndRule(UCAL_NOVEMBER, 1, 0, 7 * hour, status);
    EXPECT_TRUE(U_SUCCESS(status));
    return zone;
}

const std::unique_ptr<icu::Calendar> dawn = calendarIn(dawnZone());

Date utc(Civil civil)
{
    static const std::unique_ptr<icu::Calendar> calendar = calendarIn("UTC");
    return localDate(*calendar, civil);
}

TEST(MorningSchedule, FindsTheNextLocalSixAcrossClockChanges)
{
    struct Case
    {
        std::string_view name;
        const icu::Calendar* calendar;
        Date now;
        Date expected;
        ClockTime at{};
    };

    const auto cases = std::to_array<Case>({
        {"at six the next day is meant", newYork.get(), utc({2027, 3, 13, 11, 0}), utc({2027, 3, 14, 10, 0})},
        {"a chosen 7:30, later today", newYork.get(), utc({2027, 3, 13, 11, 0}), utc({2027, 3, 13, 12, 30}), {7, 30}},
        {"a chosen 23:45 across midnight UTC",
         newYork.get(),
         utc({2026, 12, 8, 5, 0}),
         utc({2026, 12, 9, 4, 45}),
         {23, 45}},
        {"over a spring-forward night", newYork.get(), utc({2027, 3, 13, 18, 0}), utc({2027, 3, 14, 10, 0})},
        {"six skipped: the moment the clock jumps to seven",
         dawn.get(),
         utc({2027, 3, 13, 18, 0}),
         utc({2027, 3, 14, 11, 0})},
        {"six repeated: the first one", dawn.get(), utc({2026, 10, 31, 18, 0}), utc({2026, 11, 1, 10, 0})},
        {"between the two sixes: tomorrow", dawn.get(), utc({2026, 11, 1, 10, 30}), utc({2026, 11, 2, 11, 0})},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Date> next = MorningSchedule::nextReportTime(c.now, *c.calendar, c.at);
        ASSERT_TRUE(next.has_value());
        // As seconds since 1970, which read better in a failure than time points.
        EXPECT_EQ(secondsSince1970(*next), secondsSince1970(c.expected));
    }
    EXPECT_EQ(MorningSchedule::nextReportTime(dateFromSince1970(std::numeric_limits<double>::quiet_NaN()), *newYork),
              std::nullopt);
}

TEST(MorningSchedule, CatchesUpForSixHoursAfterTheReportTimeOnTheSameDay)
{
    struct Case
    {
        std::string_view name;
        Civil now;
        bool expected;
        ClockTime at{};
    };

    const auto cases = std::to_array<Case>({
        {"6:00", {2026, 12, 7, 6, 0}, true},
        {"11:59", {2026, 12, 7, 11, 59}, true},
        {"12:00", {2026, 12, 7, 12, 0}, false},
        {"7:29 before a chosen 7:30", {2026, 12, 7, 7, 29}, false, {7, 30}},
        {"13:29 within six hours of 7:30", {2026, 12, 7, 13, 29}, true, {7, 30}},
        {"13:30 six hours after 7:30", {2026, 12, 7, 13, 30}, false, {7, 30}},
        {"23:59 after a chosen 22:00", {2026, 12, 7, 23, 59}, true, {22, 0}},
        {"the next day's 0:30 is not caught up", {2026, 12, 8, 0, 30}, false, {22, 0}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MorningSchedule::isCatchUpTime(localDate(*newYork, c.now), *newYork, c.at), c.expected);
    }
    // The local hour counts, not the UTC one: 9:30 UTC is 4:30 in New York.
    EXPECT_FALSE(MorningSchedule::isCatchUpTime(utc({2026, 12, 7, 9, 30}), *newYork));
}

TEST(MorningSchedule, KeysTheLocalCalendarDay)
{
    struct Case
    {
        std::string_view name;
        Date now;
        std::string_view expected;
    };

    const auto cases = std::to_array<Case>({
        {"late evening is still the local day", utc({2026, 12, 8, 4, 30}), "2026-12-07"},
        {"the hour repeated in a fall-back night", utc({2026, 11, 1, 6, 30}), "2026-11-01"},
        {"a time the calendar cannot place", dateFromSince1970(std::numeric_limits<double>::infinity()), "0000-00-00"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MorningSchedule::dayKey(c.now, *newYork), c.expected);
    }
}

TEST(MorningSchedule, IsDueOncePerDayAndOnlyWhenSwitchedOn)
{
    const Date morning = localDate(*newYork, {2026, 12, 7, 9, 30});
    EXPECT_EQ(MorningSchedule::dueDayKey(morning, *newYork, true, "2026-12-06"), "2026-12-07");
    EXPECT_EQ(MorningSchedule::dueDayKey(morning, *newYork, true, "2026-12-07"), std::nullopt);
    EXPECT_EQ(MorningSchedule::dueDayKey(morning, *newYork, false, "2026-12-06"), std::nullopt);
}

}  // namespace
}  // namespace ostrel
