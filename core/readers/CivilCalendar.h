#pragma once
// Calendar days and wall-clock times in one time zone, for the reset phrases
// that name a day and an hour as a person reads them there. Kept apart from
// the parsing of the text: this is only the arithmetic of the zone's calendar,
// where daylight-saving changes skip or repeat an hour.

#include <memory>
#include <optional>

#include <unicode/gregocal.h>
#include <unicode/timezone.h>

#include "model/Date.h"

namespace ostrel::CivilCalendar {

struct CivilDay
{
    int year = 0;
    int month = 0;  ///< 1...12
    int day = 0;
};

/// The number of days of `month` (1...12) in the Gregorian `year`.
[[nodiscard]] int daysInMonth(int year, int month);

/// A Gregorian calendar in `zone` with no Julian part, that moves a wall time
/// skipped by a daylight-saving change to the next valid time and takes the
/// first occurrence of a repeated one.
[[nodiscard]] std::unique_ptr<icu::GregorianCalendar> calendarIn(const icu::TimeZone& zone);

/// The calendar day holding `date`, `dayOffset` calendar days later.
[[nodiscard]] std::optional<CivilDay> dayOf(icu::GregorianCalendar& calendar, Date date, int dayOffset);

/// The wall time `day` hour:minute:00 in the calendar's zone; absent when a field
/// lies outside its range (30 February, minute 75), never rolled over.
[[nodiscard]] std::optional<Date> wallTime(icu::GregorianCalendar& calendar, CivilDay day, int hour, int minute);

}  // namespace ostrel::CivilCalendar
