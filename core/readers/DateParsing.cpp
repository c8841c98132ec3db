#include "readers/DateParsing.h"

#include <array>
#include <charconv>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

#include <unicode/gregocal.h>
#include <unicode/regex.h>
#include <unicode/unistr.h>

#include "readers/CivilCalendar.h"
#include "readers/MessageWords.h"

namespace ostrel::DateParsing {
namespace {

using CivilCalendar::calendarIn;
using CivilCalendar::dayOf;
using CivilCalendar::daysInMonth;
using CivilCalendar::wallTime;
using MessageWords::lowered;

using Groups = std::vector<std::optional<std::string>>;

[[nodiscard]] bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// The ASCII decimal number in `text`; absent when empty or any byte is not a digit.
[[nodiscard]] std::optional<int> digits(std::string_view text)
{
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (!isDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

[[nodiscard]] std::optional<int> digits(const std::optional<std::string>& text)
{
    return text ? digits(std::string_view{*text}) : std::nullopt;
}

/// Seconds since 1970 of a UTC civil time, rolling out-of-range fields over into
/// the next larger one the way timegm does (month 13 is January of the next year,
/// day 31 of April is 1 May, hour 24 is midnight of the next day).
[[nodiscard]] std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second)
{
    const int monthIndex = month - 1;
    const int yearShift = monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12);
    const int normalMonth = monthIndex - yearShift * 12 + 1;
    const std::chrono::year_month_day first{std::chrono::year{year + yearShift},
                                            std::chrono::month{static_cast<unsigned>(normalMonth)},
                                            std::chrono::day{1}};
    const std::int64_t days = std::chrono::sys_days{first}.time_since_epoch().count() + (day - 1);
    return days * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
}

/// The decimal fraction spelled by `text` (".5" or "0.5"); absent unless all of it parses.
[[nodiscard]] std::optional<double> fraction(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

/// Runs `pattern` over `text`: the first match anywhere, or only a match of the
/// whole text. Groups 1...n, absent for those that took no part.
[[nodiscard]] std::optional<Groups>
match(std::string_view pattern, std::string_view text, uint32_t flags, bool wholeText)
{
    // ICU counts in 32-bit lengths; nothing this long is a date or a usage report.
    if (pattern.size() > INT32_MAX || text.size() > INT32_MAX) {
        return std::nullopt;
    }
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError{};
    const std::unique_ptr<icu::RegexPattern> compiled(icu::RegexPattern::compile(
        icu::UnicodeString::fromUTF8(icu::StringPiece(pattern.data(), static_cast<int32_t>(pattern.size()))),
        flags,
        parseError,
        status));
    if (status > U_ZERO_ERROR || !compiled) {
        return std::nullopt;
    }
    const icu::UnicodeString subject =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    const std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(subject, status));
    if (status > U_ZERO_ERROR || !matcher) {
        return std::nullopt;
    }
    const bool found = (wholeText ? matcher->matches(status) : matcher->find(0, status)) != 0;
    if (status > U_ZERO_ERROR || !found) {
        return std::nullopt;
    }
    Groups groups;
    for (int32_t group = 1; group <= matcher->groupCount(); ++group) {
        if (matcher->start(group, status) < 0 || status > U_ZERO_ERROR) {
            groups.emplace_back(std::nullopt);
            status = U_ZERO_ERROR;
            continue;
        }
        std::string utf8;
        matcher->group(group, status).toUTF8String(utf8);
        groups.emplace_back(std::move(utf8));
    }
    return groups;
}

/// A "+01:00" or "+0100" offset in seconds east of UTC; "Z" is 0.
[[nodiscard]] std::optional<int> offsetSeconds(std::string_view zone)
{
    if (zone == "Z") {
        return 0;
    }
    const int sign = zone.front() == '-' ? -1 : 1;
    zone.remove_prefix(1);
    const auto hours = digits(zone.substr(0, 2));
    const auto minutes = digits(zone.substr(zone.size() - 2));
    if (!hours || !minutes || *hours > 23 || *minutes > 59) {
        return std::nullopt;
    }
    return sign * (*hours * 3600 + *minutes * 60);
}

[[nodiscard]] int hour24(int hour, std::string_view meridiem)
{
    return hour % 12 + (lowered(meridiem) == "pm" ? 12 : 0);
}

[[nodiscard]] std::optional<int> monthNamed(std::string_view name)
{
    constexpr std::array<std::string_view, 12>
        names{"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string prefix = lowered(name.substr(0, 3));
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names.at(i) == prefix) {
            return static_cast<int>(i) + 1;
        }
    }
    return std::nullopt;
}

/// "Mar 3 at 9am", "Jan 5, 2027 at 3:30pm": the candidate nearest to `now`.
[[nodiscard]] std::optional<Date> monthDayPhrase(const Groups& groups, icu::GregorianCalendar& calendar, Date now)
{
    const auto month = monthNamed(groups[0].value_or(""));
    const auto day = digits(groups[1]);
    const auto hour = digits(groups[3]);
    const auto minute = groups[4] ? digits(groups[4]) : std::optional<int>(0);
    if (!month || !day || !hour || !minute) {
        return std::nullopt;
    }
    std::vector<int> years;
    if (groups[2]) {
        const auto year = digits(groups[2]);
        if (!year) {
            return std::nullopt;
        }
        years.push_back(*year);
    } else {
        const auto today = dayOf(calendar, now, 0);
        if (!today) {
            return std::nullopt;
        }
        years = {today->year - 1, today->year, today->year + 1};
    }
    std::optional<Date> nearest;
    for (const int year : years) {
        const auto candidate = wallTime(calendar, {year, *month, *day}, hour24(*hour, groups[5].value_or("")), *minute);
        // A strict comparison keeps the earlier candidate on equal distance.
        if (candidate && (!nearest || std::abs((*candidate - now).count()) < std::abs((*nearest - now).count()))) {
            nearest = candidate;
        }
    }
    return nearest;
}

/// "9am", "today at 9:30pm", "tomorrow at 9am". A bare time already past is
/// tomorrow's; "tomorrow" is built on the next calendar day itself, so a time
/// that a daylight-saving change skips today still comes out exact tomorrow.
[[nodiscard]] std::optional<Date> clockTimePhrase(const Groups& groups, icu::GregorianCalendar& calendar, Date now)
{
    const auto hour = digits(groups[1]);
    const auto minute = groups[2] ? digits(groups[2]) : std::optional<int>(0);
    if (!hour || !minute) {
        return std::nullopt;
    }
    const int fullHour = hour24(*hour, groups[3].value_or(""));
    const auto today = dayOf(calendar, now, 0);
    const auto candidate = today ? wallTime(calendar, *today, fullHour, *minute) : std::nullopt;
    if (!candidate) {
        return std::nullopt;
    }
    const auto word = groups[0] ? std::optional(lowered(*groups[0])) : std::nullopt;
    const bool nextDay = word == "tomorrow" || (!word && *candidate < now);
    if (!nextDay) {
        return candidate;
    }
    const auto tomorrow = dayOf(calendar, now, 1);
    const auto later = tomorrow ? wallTime(calendar, *tomorrow, fullHour, *minute) : std::nullopt;
    return later ? later : candidate;
}

[[nodiscard]] std::string_view trimmedBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::optional<Date> fastUTC(std::string_view text)
{
    const std::size_t size = text.size();
    if (size < 20 || size == 21 || text.back() != 'Z' || text[4] != '-' || text[7] != '-' || text[10] != 'T'
        || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    const auto year = digits(text.substr(0, 4));
    const auto month = digits(text.substr(5, 2));
    const auto day = digits(text.substr(8, 2));
    const auto hour = digits(text.substr(11, 2));
    const auto minute = digits(text.substr(14, 2));
    const auto second = digits(text.substr(17, 2));
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    double fractionalPart = 0;
    if (size > 20) {
        const std::string_view decimals = text.substr(20, size - 21);
        if (text[19] != '.' || decimals.empty()) {
            return std::nullopt;
        }
        for (const char c : decimals) {
            if (!isDigit(c)) {
                return std::nullopt;
            }
        }
        fractionalPart = fraction(text.substr(19, size - 20)).value_or(0);
    }
    const auto whole = utcSeconds(*year, *month, *day, *hour, *minute, *second);
    return dateFromSince1970(static_cast<double>(whole) + fractionalPart);
}

std::optional<Date> iso8601(std::string_view text)
{
    if (auto fast = fastUTC(text)) {
        return fast;
    }
    // [0-9] rather than \d: ICU's \d also takes digits of other scripts.
    const auto groups =
        match(R"(^([0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2})(\.[0-9]+)?(Z|[+-][0-9]{2}:?[0-9]{2})?$)",
              text,
              0,
              true);
    if (!groups || !(*groups)[0]) {
        return std::nullopt;
    }
    const std::string_view stamp = *(*groups)[0];
    const auto year = digits(stamp.substr(0, 4));
    const auto month = digits(stamp.substr(5, 2));
    const auto day = digits(stamp.substr(8, 2));
    const auto hour = digits(stamp.substr(11, 2));
    const auto minute = digits(stamp.substr(14, 2));
    const auto second = digits(stamp.substr(17, 2));
    const auto offset = offsetSeconds((*groups)[2].value_or("Z"));
    // An internet date-time is strict: no field rolls over (60 is a leap second).
    if (!year || !month || !day || !hour || !minute || !second || !offset || *month < 1 || *month > 12 || *day < 1
        || *day > daysInMonth(*year, *month) || *hour > 23 || *minute > 59 || *second > 60) {
        return std::nullopt;
    }
    auto seconds = static_cast<double>(utcSeconds(*year, *month, *day, *hour, *minute, *second) - *offset);
    if ((*groups)[1]) {
        seconds += fraction("0" + *(*groups)[1]).value_or(0);
    }
    return dateFromSince1970(seconds);
}

std::optional<Date> claudeResetPhrase(std::string_view text, const icu::TimeZone& timeZone, Date now)
{
    const std::string_view phrase = trimmedBlanks(text);
    const auto calendar = calendarIn(timeZone);
    if (!calendar) {
        return std::nullopt;
    }
    const auto monthDay = captures(
        R"(^([A-Za-z]{3,})\.?\s+([0-9]{1,2})(?:,?\s+([0-9]{4}))?(?:\s+at|,)?\s+([0-9]{1,2})(?::([0-9]{2}))?\s*([ap]m)$)",
        phrase);
    if (monthDay && monthDay->size() == 6) {
        return monthDayPhrase(*monthDay, *calendar, now);
    }
    const auto clock = captures(R"(^(?:(today|tomorrow)\s+at\s+)?([0-9]{1,2})(?::([0-9]{2}))?\s*([ap]m)$)", phrase);
    if (clock && clock->size() == 4) {
        return clockTimePhrase(*clock, *calendar, now);
    }
    return std::nullopt;
}

std::optional<std::vector<std::optional<std::string>>> captures(std::string_view pattern, std::string_view text)
{
    return match(pattern, text, UREGEX_CASE_INSENSITIVE, false);
}

}  // namespace ostrel::DateParsing
