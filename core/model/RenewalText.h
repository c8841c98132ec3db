#pragma once
// Says when something renews, relative to now, in a given calendar, time zone
// and locale ("in 12 minutes", "today at 3 PM", "Thursday at 9:30 AM"), and
// words bare clock times and durations. The English words are fixed; only the
// clock, weekday and month-day pieces follow the locale.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include "model/Date.h"

namespace ostrel {

class RenewalText
{
public:
    /// Copies the calendar (with its time zone) and the locale; nothing here
    /// reads the process defaults.
    RenewalText(const icu::Calendar& calendar, icu::Locale locale);

    /// The locale's own calendar in the zone with the IANA id `timeZoneId`
    /// ("Europe/Berlin"); absent when the zone is unknown. `localeId` is an
    /// ICU or POSIX locale name ("de_DE", "en_US.UTF-8").
    [[nodiscard]] static std::optional<RenewalText> make(std::string_view timeZoneId, std::string_view localeId);

    [[nodiscard]] const icu::Calendar& calendar() const
    {
        return *m_calendar;
    }

    [[nodiscard]] const icu::Locale& locale() const
    {
        return m_locale;
    }

    /// "now", "in 5 minutes", "in 1 hour", "today at …", "tomorrow at …",
    /// a weekday within the week, else a month-day date. Calendar days count,
    /// not 24-hour periods. A date that is not finite gives "—".
    [[nodiscard]] std::string when(Date date, Date now) const;

    /// The clock time of `date` rounded to the minute, without minutes on the
    /// hour ("3 PM", "3:30 PM"; "15 Uhr", "15:30"). Not finite gives "—".
    [[nodiscard]] std::string clock(Date date) const;

    /// Weekday, month, day and clock time, as a picture's time stamp
    /// ("Mon, Dec 7, 3:40 PM"). Not finite gives "—".
    [[nodiscard]] std::string stamp(Date date) const;
    /// "45 minutes", "35 hours", "1 day 16 hours", "3 days".
    [[nodiscard]] static std::string duration(double seconds);

private:
    [[nodiscard]] std::string format(const icu::UnicodeString& pattern, Date date) const;
    [[nodiscard]] std::optional<int> calendarDaysBetween(Date from, Date to) const;

    // Shared and never mutated: every operation works on its own clone, so
    // copies stay cheap and independent.
    std::shared_ptr<const icu::Calendar> m_calendar;
    icu::Locale m_locale;
    icu::UnicodeString m_hourPattern;
    icu::UnicodeString m_hourMinutePattern;
    icu::UnicodeString m_weekdayPattern;
    icu::UnicodeString m_monthDayPattern;
    icu::UnicodeString m_stampPattern;
};

}  // namespace ostrel
