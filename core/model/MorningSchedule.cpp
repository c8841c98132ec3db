#include "model/MorningSchedule.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <memory>

namespace ostrel::MorningSchedule {
namespace {

// Two days always suffice on a Gregorian calendar; a few more cover a zone
// that once dropped a whole calendar day.
constexpr int searchDays = 8;

// ICU reports success as a small integer; this keeps the tests boolean.
bool succeeded(UErrorCode status)
{
    return status <= U_ZERO_ERROR;
}

double udate(Date date)
{
    return secondsSince1970(date) * 1000.0;
}

// A field the calendar cannot give counts as 0; `offset` turns ICU's
// zero-based months into calendar months.
int field(const icu::Calendar& calendar, UCalendarDateFields which, int offset = 0)
{
    UErrorCode status = U_ZERO_ERROR;
    const int32_t value = calendar.get(which, status);
    return succeeded(status) ? value + offset : 0;
}

// A working copy of the calendar set to `now`; null when it cannot be.
std::unique_ptr<icu::Calendar> atTime(Date now, const icu::Calendar& calendar)
{
    if (!std::isfinite(secondsSince1970(now))) {
        return nullptr;
    }
    std::unique_ptr<icu::Calendar> working(calendar.clone());
    if (working == nullptr) {
        return nullptr;
    }
    UErrorCode status = U_ZERO_ERROR;
    working->setTime(udate(now), status);
    return succeeded(status) ? std::move(working) : nullptr;
}

}  // namespace

std::optional<Date> nextReportTime(Date now, const icu::Calendar& calendar, ClockTime at)
{
    const std::unique_ptr<icu::Calendar> working = atTime(now, calendar);
    if (working == nullptr) {
        return std::nullopt;
    }
    // Resolving a wall time that a clock change skips needs lenient fields.
    working->setLenient(static_cast<UBool>(true));
    working->setSkippedWallTimeOption(UCAL_WALLTIME_NEXT_VALID);
    working->setRepeatedWallTimeOption(UCAL_WALLTIME_FIRST);
    const double nowMillis = udate(now);
    for (int days = 0; days < searchDays; ++days) {
        UErrorCode status = U_ZERO_ERROR;
        working->setTime(nowMillis, status);
        working->add(UCAL_DATE, days, status);
        working->set(UCAL_HOUR_OF_DAY, at.hour);
        working->set(UCAL_MINUTE, at.minute);
        working->set(UCAL_SECOND, 0);
        working->set(UCAL_MILLISECOND, 0);
        const double candidate = working->getTime(status);
        if (!succeeded(status)) {
            return std::nullopt;
        }
        if (candidate > nowMillis) {
            return dateFromSince1970(candidate / 1000.0);
        }
    }
    return std::nullopt;
}

bool isCatchUpTime(Date now, const icu::Calendar& calendar, ClockTime at)
{
    const std::unique_ptr<icu::Calendar> working = atTime(now, calendar);
    if (working == nullptr) {
        return false;
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t hour = working->get(UCAL_HOUR_OF_DAY, status);
    const int32_t minute = working->get(UCAL_MINUTE, status);
    const int minuteOfDay = (hour * 60) + minute;
    return succeeded(status) && minuteOfDay >= at.minuteOfDay() && minuteOfDay < at.minuteOfDay() + (catchUpHours * 60);
}

std::string dayKey(Date now, const icu::Calendar& calendar)
{
    const std::unique_ptr<icu::Calendar> working = atTime(now, calendar);
    int year = 0;
    int month = 0;
    int day = 0;
    if (working != nullptr) {
        year = field(*working, UCAL_YEAR);
        month = field(*working, UCAL_MONTH, 1);
        day = field(*working, UCAL_DATE);
    }
    std::array<char, 48> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02d", year, month, day);
    return text.data();
}

std::optional<std::string>
dueDayKey(Date now, const icu::Calendar& calendar, bool enabled, std::string_view lastReportDay)
{
    if (!enabled) {
        return std::nullopt;
    }
    std::string key = dayKey(now, calendar);
    if (key == lastReportDay) {
        return std::nullopt;
    }
    return key;
}

}  // namespace ostrel::MorningSchedule
