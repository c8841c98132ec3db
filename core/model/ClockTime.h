#pragma once
// A time of day on the wall clock, to the minute: when the morning report goes
// out. Kept in the settings file as "06:00"; a hand-edited "6:00" reads too.

#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

struct ClockTime
{
    int hour = 6;    ///< 0–23
    int minute = 0;  ///< 0–59

    /// "H:MM" or "HH:MM" with the hour 0–23 and the minute 0–59; absent for anything else.
    [[nodiscard]] static std::optional<ClockTime> parse(std::string_view text);

    /// "06:00", as the settings file keeps it.
    [[nodiscard]] std::string text() const;

    /// "6:00 AM", "12:30 PM", as the settings window shows it.
    [[nodiscard]] std::string label() const;

    [[nodiscard]] int minuteOfDay() const
    {
        return (hour * 60) + minute;
    }

    bool operator==(const ClockTime&) const = default;
};

}  // namespace ostrel
