#pragma once
// Wall-clock times for tests of civil-time code: a calendar pinned to a zone
// and the en_US locale, and the moment a given local time names in it.

#include <memory>

#include <gtest/gtest.h>
#include <unicode/calendar.h>
#include <unicode/timezone.h>

#include "model/Date.h"

namespace ostrel::testing {

struct Civil
{
    int year;
    int month;
    int day;
    int hour;
    int minute;
    double second = 0;
};

/// Takes ownership of `zone`.
[[nodiscard]] inline std::unique_ptr<icu::Calendar> calendarIn(icu::TimeZone* zone)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(zone, icu::Locale("en_US"), status));
    EXPECT_TRUE(U_SUCCESS(status));
    return calendar;
}

[[nodiscard]] inline std::unique_ptr<icu::Calendar> calendarIn(const char* zone)
{
    return calendarIn(icu::TimeZone::createTimeZone(icu::UnicodeString(zone)));
}

[[nodiscard]] inline Date localDate(const icu::Calendar& calendar, Civil civil)
{
    const std::unique_ptr<icu::Calendar> working(calendar.clone());
    working->clear();
    working->set(civil.year, civil.month - 1, civil.day, civil.hour, civil.minute, 0);
    UErrorCode status = U_ZERO_ERROR;
    const double millis = working->getTime(status);
    EXPECT_TRUE(U_SUCCESS(status));
    return dateFromSince1970(millis / 1000 + civil.second);
}

}  // namespace ostrel::testing
