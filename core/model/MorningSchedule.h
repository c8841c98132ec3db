#pragma once
// When the morning report is due: the next local report time (6:00 unless the
// user chose another), the window after it in which a missed report is caught
// up, and the day key that allows one report per calendar day. Civil time comes from the calendar passed in (with its
// time zone), so clock changes and zone changes are the caller's to supply.

#include <optional>
#include <string>
#include <string_view>

#include <unicode/calendar.h>

#include "model/ClockTime.h"
#include "model/Date.h"

namespace ostrel::MorningSchedule {

/// A report missed at its time is still sent when the day is caught within
/// this many hours after it, and before midnight.
inline constexpr int catchUpHours = 6;

/// The first moment strictly after `now` whose local time is `at` (seconds
/// 0). Where a clock change skips that time the next existing time is taken,
/// where it occurs twice the first occurrence. Absent when the calendar cannot say.
[[nodiscard]] std::optional<Date> nextReportTime(Date now, const icu::Calendar& calendar, ClockTime at = {});

/// The local time is at or after `at` and less than `catchUpHours` after it,
/// on the same day: a report not yet sent today may go out now.
[[nodiscard]] bool isCatchUpTime(Date now, const icu::Calendar& calendar, ClockTime at = {});

/// The local date of `now` as "YYYY-MM-DD"; a field the calendar cannot give counts as 0.
[[nodiscard]] std::string dayKey(Date now, const icu::Calendar& calendar);

/// The day key to record before sending when a report is due at `now`: the
/// report is switched on and none went out on this local day. Absent otherwise.
[[nodiscard]] std::optional<std::string>
dueDayKey(Date now, const icu::Calendar& calendar, bool enabled, std::string_view lastReportDay);

}  // namespace ostrel::MorningSchedule
