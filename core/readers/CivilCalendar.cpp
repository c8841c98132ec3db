#include "readers/CivilCalendar.h"

#include <array>

namespace ostrel::CivilCalendar {
namespace {

[[nodiscard]] bool isLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

[[nodiscard]] double toUDate(Date date)
{
    return secondsSince1970(date) * 1000.0;
}

[[nodiscard]] Date fromUDate(double millis)
{
    return dateFromSince1970(millis / 1000.0);
}

}  // namespace

int daysInMonth(int year, int month)
{
    constexpr std::array<int, 12> lengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : lengths.at(static_cast<std::size_t>(month - 1));
}

std::unique_ptr<icu::GregorianCalendar> calendarIn(const icu::TimeZone& zone)
{
    UErrorCode status = U_ZERO_ERROR;
    auto calendar = std::make_unique<icu::GregorianCalendar>(zone, icu::Locale::getRoot(), status);
    calendar->setGregorianChange(-U_DATE_MAX, status);
    if (status > U_ZERO_ERROR) {
        return nullptr;
    }
    calendar->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
    calendar->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    return calendar;
}

std::optional<CivilDay> dayOf(icu::GregorianCalendar& calendar, Date date, int dayOffset)
{
    UErrorCode status = U_ZERO_ERROR;
    calendar.clear();
    calendar.setTime(toUDate(date), status);
    if (dayOffset != 0) {
        calendar.add(UCAL_DATE, dayOffset, status);
    }
    CivilDay day{calendar.get(UCAL_EXTENDED_YEAR, status),
                 calendar.get(UCAL_MONTH, status) + 1,
                 calendar.get(UCAL_DATE, status)};
    if (status > U_ZERO_ERROR) {
        return std::nullopt;
    }
    return day;
}

std::optional<Date> wallTime(icu::GregorianCalendar& calendar, CivilDay day, int hour, int minute)
{
    if (day.month < 1 || day.month > 12 || day.day < 1 || day.day > daysInMonth(day.year, day.month) || hour < 0
        || hour > 23 || minute < 0 || minute > 59) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar.clear();
    calendar.set(UCAL_EXTENDED_YEAR, day.year);
    calendar.set(UCAL_MONTH, day.month - 1);
    calendar.set(UCAL_DATE, day.day);
    calendar.set(UCAL_HOUR_OF_DAY, hour);
    calendar.set(UCAL_MINUTE, minute);
    const UDate millis = calendar.getTime(status);
    if (status > U_ZERO_ERROR) {
        return std::nullopt;
    }
    return fromUDate(millis);
}

}  // namespace ostrel::CivilCalendar
