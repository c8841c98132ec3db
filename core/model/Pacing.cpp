#include "model/Pacing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace ostrel {

std::string_view headline(PaceTier tier)
{
    return labelOf(tier);
}

std::string_view emoji(PaceTier tier)
{
    return rowOf(tier).emoji;
}

Pace Pace::make(const UsageWindow& window, Date now)
{
    Pace pace;
    pace.allowanceFraction = window.allowanceFraction();
    if (window.resetsAt && window.duration > 0) {
        const double remaining = std::max((*window.resetsAt - now).count(), 0.0);
        pace.timeRemaining = remaining;
        pace.timeFraction = std::min(remaining / window.duration, 1.0);
    }
    if (!pace.timeFraction) {
        pace.ratio = pace.allowanceFraction;
    } else if (*pace.timeFraction > 0) {
        pace.ratio = pace.allowanceFraction / *pace.timeFraction;
    } else {
        pace.ratio = pace.allowanceFraction > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    pace.tier = tierFor(pace.ratio, pace.allowanceFraction);
    pace.litCells = cells(pace.allowanceFraction);
    pace.resetWarning = pace.timeRemaining && pace.tier == PaceTier::blue && *pace.timeRemaining <= resetWarningWindow;
    return pace;
}

PaceTier Pace::tierFor(double ratio, double allowance)
{
    if (ratio >= 2.0 && allowance >= blueMinimumAllowance) {
        return PaceTier::blue;
    }
    if (ratio >= 0.8) {
        return PaceTier::green;
    }
    if (ratio >= 0.4) {
        return PaceTier::yellow;
    }
    return PaceTier::red;
}

// NaN falls through to the empty end in both scales: an unknown amount is
// never shown as plenty.
int Pace::cells(double fraction)
{
    if (fraction >= 1) {
        return cellCount;
    }
    if (!(fraction > 0)) {
        return 0;
    }
    return std::clamp(static_cast<int>(std::round(fraction * cellCount)), 1, cellCount - 1);
}

int Pace::percent(double fraction)
{
    if (fraction >= 1) {
        return 100;
    }
    if (!(fraction > 0)) {
        return 0;
    }
    return std::clamp(static_cast<int>(std::round(fraction * 100)), 1, 99);
}

std::string Pace::formatTimeRemaining(double seconds)
{
    if (seconds >= 3600) {
        const double hours = seconds / 3600;
        const double rounded = std::round(hours);
        if (rounded <= 24) {
            return std::to_string(static_cast<std::int64_t>(rounded)) + "h";
        }
        if (hours <= 36) {
            return "1d " + std::to_string(static_cast<std::int64_t>(rounded) - 24) + "h";
        }
        const double days = std::min(std::round(hours / 24), 1e15);
        return std::to_string(static_cast<std::int64_t>(days)) + "d";
    }
    // Negative and NaN both count as no time left.
    const double minutes = std::round((seconds > 0 ? seconds : 0.0) / 60);
    if (minutes > 59) {
        return "1h";
    }
    return std::to_string(static_cast<std::int64_t>(minutes)) + "m";
}

std::string Pace::timeText() const
{
    return timeRemaining ? formatTimeRemaining(*timeRemaining) : std::string{"\u2014"};
}

std::string Pace::emojiLine(std::string_view name) const
{
    std::string line;
    for (int cell = 0; cell < cellCount; ++cell) {
        line += cell < litCells ? emoji(tier) : std::string_view{"\u2B1B"};
    }
    line += ' ';
    line += name;
    line += " \u00B7 ";
    line += std::to_string(percentLeft());
    line += "% \u00B7 ";
    line += timeText();
    if (resetWarning) {
        line += " \u23F3";
    }
    return line;
}

}  // namespace ostrel
