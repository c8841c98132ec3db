#pragma once
// A rate-limit window beside a reading's weekly allowance and session: a
// per-model week (Claude's Opus and Sonnet weeks, a model-scoped bucket) or
// another of Codex's limits. Any of them can stop the user before the week does.

#include <string>

#include "model/UsageWindow.h"

namespace ostrel {

struct LimitWindow
{
    /// Stable across readings: "seven_day_sonnet", "model:<name>", "codex:<limit id>:secondary".
    std::string key;
    /// For people, as the list shows it: "Sonnet · week", a model's name.
    std::string label;
    UsageWindow window;

    bool operator==(const LimitWindow&) const = default;
};

/// A window's length as people name it: "week", "day", "5-hour window", "30-day window".
[[nodiscard]] std::string periodName(double seconds);

}  // namespace ostrel
