#pragma once
// Readings, paces and the calendar for tests of what the app shows: texts are
// pinned to New York in US English, and readings are built around a moment
// the test names.

#include <optional>
#include <stdexcept>
#include <string>

#include "model/Pacing.h"
#include "model/ProviderReading.h"
#include "model/RenewalText.h"

namespace ostrel::testing {

/// The calendar words of New York in US English; without them the test cannot go on.
[[nodiscard]] inline RenewalText newYork()
{
    std::optional<RenewalText> calendar = RenewalText::make("America/New_York", "en_US");
    if (!calendar) {
        throw std::logic_error("no New York calendar");
    }
    return *std::move(calendar);
}

/// A weekly window `usedPercent` used, renewing at `resetsAt`, read at `fetchedAt`.
[[nodiscard]] inline ProviderReading
weeklyReading(Provider provider, double usedPercent, std::optional<Date> resetsAt, Date fetchedAt)
{
    ProviderReading reading;
    reading.provider = provider;
    reading.fetchedAt = fetchedAt;
    reading.weekly = UsageWindow{usedPercent, resetsAt, UsageWindow::week};
    reading.source = "test";
    return reading;
}

/// A pace of `tier` lighting `filled` of the five cells, `percentLeft` of the allowance left.
[[nodiscard]] inline Pace paceOf(PaceTier tier, int filled, int percentLeft, bool resetWarning = false)
{
    Pace pace;
    pace.allowanceFraction = percentLeft / 100.0;
    pace.timeFraction = 0.5;
    pace.timeRemaining = 3600.0 * 80;
    pace.ratio = 1;
    pace.tier = tier;
    pace.litCells = filled;
    pace.resetWarning = resetWarning;
    return pace;
}

}  // namespace ostrel::testing
