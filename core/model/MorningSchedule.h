#pragma once
// When the morning report is due: the next local 6:00, the morning window in
// which a missed report is caught up, and the day key that allows one report
// per calendar day. Civil time comes from the calendar passed in (with its
// time zone), so clock changes and zone changes are the caller's to supply.

#include <optional>
#include <string>
#include <string_view>

#include <unicode/calendar.h>

#include "model/Date.h"

namespace ostrel::MorningSchedule {

inline constexpr int reportHour = 6;
/// A report missed at 6:00 is still sent when the day is caught before this hour.
inline constexpr int catchUpEndHour = 12;

/// The first moment strictly after `now` whose local time is 6:00:00. Where a
/// clock change skips 6:00 the next existing time is taken, where 6:00 occurs
/// twice the first occurrence. Absent when the calendar cannot say.
[[nodiscard]] std::optional<Date> nextReportTime(Date now, const icu::Calendar& calendar);

/// 6 <= local hour < 12: a report not yet sent today may go out now.
[[nodiscard]] bool isCatchUpTime(Date now, const icu::Calendar& calendar);

/// The local date of `now` as "YYYY-MM-DD"; a field the calendar cannot give counts as 0.
[[nodiscard]] std::string dayKey(Date now, const icu::Calendar& calendar);

/// The day key to record before sending when a report is due at `now`: the
/// report is switched on and none went out on this local day. Absent otherwise.
[[nodiscard]] std::optional<std::string>
dueDayKey(Date now, const icu::Calendar& calendar, bool enabled, std::string_view lastReportDay);

}  // namespace ostrel::MorningSchedule
