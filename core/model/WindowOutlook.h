#pragma once
// Which of a provider's windows will stop the user first. Each window's run-out
// is projected from how fast it is being used: from the readings history where
// that holds at least two points of the window's current period (the weekly
// allowance has one), otherwise from its average since the period began. A
// window binds when it would run out before it renews; the binding window is
// the one that runs out first. Pure: the time and the history are parameters.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/ProviderReading.h"
#include "model/UsageWindow.h"

namespace ostrel {

struct WindowOutlook
{
    static constexpr std::string_view weeklyKey = "weekly";
    static constexpr std::string_view sessionKey = "session";

    std::string key;    ///< "weekly", "session" or the further window's own key
    std::string label;  ///< for the list: "Week", "Session", "Sonnet · week"
    UsageWindow window;
    /// When it runs out at the pace it is used; absent when it is not being
    /// used up, or its period is over.
    std::optional<Date> runsOutAt;

    /// It runs out before it renews.
    [[nodiscard]] bool binds() const;

    bool operator==(const WindowOutlook&) const = default;
};

/// Every window of the reading: those that bind first, soonest first, then
/// the others in the reading's order (weekly, session, the further windows).
[[nodiscard]] std::vector<WindowOutlook>
windowOutlooks(const ProviderReading& reading, std::span<const AllowancePoint> weeklyHistory, Date now);

/// The first of `outlooks` when it binds.
[[nodiscard]] std::optional<WindowOutlook> bindingWindow(const std::vector<WindowOutlook>& outlooks);

/// What a user needs to know of a binding window: "At this pace the Sonnet
/// week runs out in about 9 h, 2 days before it renews.", or "The Sonnet week
/// is used up until it renews in 2 days."
[[nodiscard]] std::string runOutSentence(const WindowOutlook& outlook, Date now);

/// The window as a sentence names it: "week", "session", "Sonnet week", "Opus 4 week".
[[nodiscard]] std::string windowName(const WindowOutlook& outlook);

/// A duration as a sentence gives it after "about": "40 min", "9 h", "2 days".
[[nodiscard]] std::string roughDuration(double seconds);

}  // namespace ostrel
