#pragma once
// Points in time and durations as the whole system uses them: double seconds
// with sub-second precision, absolute (UTC). Nothing here reads the clock.

#include <chrono>

namespace ostrel {

using Seconds = std::chrono::duration<double>;
using Date = std::chrono::sys_time<Seconds>;

/// 2001-01-01 00:00:00 UTC, the epoch of every date in our JSON files.
inline constexpr Date referenceDate{Seconds{978307200.0}};

[[nodiscard]] constexpr double secondsSince1970(Date date)
{
    return date.time_since_epoch().count();
}

[[nodiscard]] constexpr double secondsSinceReference(Date date)
{
    return (date - referenceDate).count();
}

[[nodiscard]] constexpr Date dateFromSince1970(double seconds)
{
    return Date{Seconds{seconds}};
}

[[nodiscard]] constexpr Date dateFromReference(double seconds)
{
    return referenceDate + Seconds{seconds};
}

}  // namespace ostrel
