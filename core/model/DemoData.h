#pragma once
// Demonstration data: two plausible subscriptions, a week of allowance history
// that follows a working day's rhythm and eight days of token activity, all
// relative to `now` and drawn from a fixed-seed generator, so the same launch
// time always gives the same sample.

#include <cstdint>
#include <map>

#include <unicode/calendar.h>

#include "model/Date.h"
#include "model/Json.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"

namespace ostrel {

/// The three maps the usage store holds, filled at once.
struct DemoSample
{
    Json::SnapshotMap snapshots;
    Json::HistoryMap history;
    std::map<Provider, ProviderActivity> activity;

    bool operator==(const DemoSample&) const = default;
};

namespace DemoData {

/// Any fixed non-zero value; only the exact random pattern depends on it.
inline constexpr std::uint64_t seed = 0x9E3779B97F4A7C15ULL;

/// A pure function of `now`, the seed and the local calendar (which decides
/// the hours of the working day and the weekend).
[[nodiscard]] DemoSample make(Date now, const icu::Calendar& calendar);

/// How busy a typical user is at `at`, local time: a morning, an afternoon and
/// a smaller evening peak, 0...1, scaled to 45 % on weekend days.
[[nodiscard]] double workIntensity(Date at, const icu::Calendar& calendar);

}  // namespace DemoData
}  // namespace ostrel
