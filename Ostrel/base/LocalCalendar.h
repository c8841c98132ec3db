#pragma once
// The user's calendar, locale and current time zone as ICU sees them, made
// afresh at each call so that a change of zone while the program runs is
// followed. The core takes calendars as parameters; this is where the app
// builds the real one.

#include <memory>

#include <unicode/calendar.h>

namespace ostrel {

/// The default locale's calendar in the zone the system uses now; null only
/// when ICU cannot build any calendar.
[[nodiscard]] std::unique_ptr<icu::Calendar> localCalendar();

}  // namespace ostrel
