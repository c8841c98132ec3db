#pragma once
// Pure parsers for the timestamps in the Claude usage reply and the session
// logs, and for the reset phrases `claude /usage` prints ("Mar 3 at 9am").
// Nothing here reads the clock: the current time and zone are parameters, and
// text that does not fit yields an absent value, never an error.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/timezone.h>

#include "model/Date.h"

namespace ostrel::DateParsing {

/// The common log form "YYYY-MM-DDTHH:MM:SS[.fraction]Z", read byte by byte
/// with no regular expression. Out-of-range fields roll over as timegm does.
[[nodiscard]] std::optional<Date> fastUTC(std::string_view text);

/// Any ISO 8601 date-time with seconds, an optional fraction and an optional
/// zone ("Z", "+01:00" or "+0100"; none means UTC). Tries fastUTC first.
[[nodiscard]] std::optional<Date> iso8601(std::string_view text);

/// "Jan 5, 2027 at 3pm", "Dec 31 at 11:30pm", "tomorrow at 9am", "9:30am" in
/// the Gregorian calendar of `timeZone`. Without a year the candidate nearest to
/// `now` wins; a bare clock time already past means the same time tomorrow.
[[nodiscard]] std::optional<Date> claudeResetPhrase(std::string_view text, const icu::TimeZone& timeZone, Date now);

/// Capture groups 1...n of the first case-insensitive match of `pattern`
/// anywhere in `text`; a group that took no part in the match is absent.
/// Absent when nothing matches or the pattern does not compile.
[[nodiscard]] std::optional<std::vector<std::optional<std::string>>> captures(std::string_view pattern,
                                                                              std::string_view text);

}  // namespace ostrel::DateParsing
