#include "model/RenewalText.h"

#include <cmath>
#include <cstdint>
#include <utility>

#include <unicode/dtptngen.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace ostrel {
namespace {

constexpr std::string_view unknownMark = "\u2014";

// Whole minutes, halves away from zero, as every renewal text counts them.
Date roundedToMinute(Date date)
{
    return dateFromSince1970(std::round(secondsSince1970(date) / 60) * 60);
}

double udate(Date date)
{
    return secondsSince1970(date) * 1000.0;
}

std::string plural(std::int64_t count, std::string_view unit)
{
    std::string text = std::to_string(count);
    text += ' ';
    text += unit;
    if (count != 1) {
        text += 's';
    }
    return text;
}

// The locale's pattern for a skeleton, or a neutral one when the locale data
// cannot give it, so that a text is always produced.
icu::UnicodeString bestPattern(icu::DateTimePatternGenerator* generator, const char* skeleton, const char* fallback)
{
    if (generator == nullptr) {
        return {fallback};
    }
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString pattern = generator->getBestPattern(icu::UnicodeString(skeleton), status);
    if (status > U_ZERO_ERROR || pattern.isEmpty() != 0) {
        return {fallback};
    }
    return pattern;
}

}  // namespace

RenewalText::RenewalText(const icu::Calendar& calendar, icu::Locale locale)
    : m_calendar(calendar.clone())
    , m_locale(std::move(locale))
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(m_locale, status));
    icu::DateTimePatternGenerator* usable = status <= U_ZERO_ERROR ? generator.get() : nullptr;
    m_hourPattern = bestPattern(usable, "j", "HH");
    m_hourMinutePattern = bestPattern(usable, "jmm", "HH:mm");
    m_weekdayPattern = bestPattern(usable, "EEEE", "cccc");
    m_monthDayPattern = bestPattern(usable, "MMMd", "MMM d");
    m_stampPattern = bestPattern(usable, "EEEMMMdjmm", "EEE MMM d HH:mm");
}

std::optional<RenewalText> RenewalText::make(std::string_view timeZoneId, std::string_view localeId)
{
    const icu::UnicodeString zoneId =
        icu::UnicodeString::fromUTF8(icu::StringPiece(timeZoneId.data(), static_cast<int32_t>(timeZoneId.size())));
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(zoneId));
    if (zone == nullptr || *zone == icu::TimeZone::getUnknown()) {
        return std::nullopt;
    }
    const icu::Locale locale = icu::Locale::createCanonical(std::string(localeId).c_str());
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Calendar> calendar(icu::Calendar::createInstance(zone.release(), locale, status));
    if (status > U_ZERO_ERROR || calendar == nullptr) {
        return std::nullopt;
    }
    return RenewalText(*calendar, locale);
}

std::string RenewalText::format(const icu::UnicodeString& pattern, Date date) const
{
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat formatter(pattern, m_locale, status);
    if (status > U_ZERO_ERROR) {
        return std::string(unknownMark);
    }
    formatter.setCalendar(*m_calendar);
    icu::UnicodeString text;
    formatter.format(udate(date), text);
    // Some locales put narrow or plain no-break spaces before the day period;
    // the texts are joined with plain spaces, so keep them uniform.
    text.findAndReplace(icu::UnicodeString(static_cast<UChar>(0x202F)), icu::UnicodeString(static_cast<UChar>(' ')));
    text.findAndReplace(icu::UnicodeString(static_cast<UChar>(0x00A0)), icu::UnicodeString(static_cast<UChar>(' ')));
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

std::optional<int> RenewalText::calendarDaysBetween(Date from, Date to) const
{
    // The local Julian day number counts calendar days in the zone, so a day
    // of 23 or 25 hours at a clock change still counts as one.
    const std::unique_ptr<icu::Calendar> calendar(m_calendar->clone());
    if (calendar == nullptr) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    calendar->setTime(udate(from), status);
    const int32_t fromDay = calendar->get(UCAL_JULIAN_DAY, status);
    calendar->setTime(udate(to), status);
    const int32_t toDay = calendar->get(UCAL_JULIAN_DAY, status);
    if (status > U_ZERO_ERROR) {
        return std::nullopt;
    }
    return toDay - fromDay;
}

std::string RenewalText::stamp(Date date) const
{
    if (!std::isfinite(secondsSince1970(date))) {
        return std::string(unknownMark);
    }
    return format(m_stampPattern, date);
}

std::string RenewalText::clock(Date date) const
{
    if (!std::isfinite(secondsSince1970(date))) {
        return std::string(unknownMark);
    }
    const Date rounded = roundedToMinute(date);
    const std::unique_ptr<icu::Calendar> calendar(m_calendar->clone());
    UErrorCode status = U_ZERO_ERROR;
    int32_t minute = 1;
    if (calendar != nullptr) {
        calendar->setTime(udate(rounded), status);
        minute = calendar->get(UCAL_MINUTE, status);
    }
    const bool onTheHour = status <= U_ZERO_ERROR && minute == 0;
    return format(onTheHour ? m_hourPattern : m_hourMinutePattern, rounded);
}

std::string RenewalText::when(Date date, Date now) const
{
    if (!std::isfinite(secondsSince1970(date)) || !std::isfinite(secondsSince1970(now))) {
        return std::string(unknownMark);
    }
    const Date rounded = roundedToMinute(date);
    const double ahead = (rounded - now).count();
    if (ahead <= 0) {
        return "now";
    }
    if (ahead < 3600) {
        const auto minutes = std::max(std::llround(ahead / 60), 1LL);
        return minutes == 60 ? "in 1 hour" : "in " + plural(minutes, "minute");
    }
    const std::string at = " at " + clock(rounded);
    const std::optional<int> days = calendarDaysBetween(now, rounded);
    if (!days || *days == 0) {
        return "today" + at;
    }
    if (*days == 1) {
        return "tomorrow" + at;
    }
    if (*days >= 2 && *days <= 6) {
        return format(m_weekdayPattern, rounded) + at;
    }
    return format(m_monthDayPattern, rounded) + at;
}

std::string RenewalText::duration(double seconds)
{
    if (seconds >= 3600) {
        // Capped so that an absurd duration still converts to an integer.
        const auto hours = std::llround(std::min(seconds / 3600, 1e15));
        if (hours < 36) {
            return plural(hours, "hour");
        }
        const auto days = hours / 24;
        const auto rest = hours % 24;
        std::string text = plural(days, "day");
        if (hours > 71 || rest == 0) {
            return text;
        }
        return text + ' ' + plural(rest, "hour");
    }
    // Negative and NaN count as nothing left, shown as the smallest unit.
    const auto minutes = std::max(std::llround((seconds > 0 ? seconds : 0.0) / 60), 1LL);
    return minutes > 59 ? "1 hour" : plural(minutes, "minute");
}

}  // namespace ostrel
