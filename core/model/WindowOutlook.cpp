#include "model/WindowOutlook.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ostrel {
namespace {

/// Points of one period share its renewal time, give or take a server's rounding.
constexpr double samePeriodTolerance = 60;

[[nodiscard]] bool samePeriod(const AllowancePoint& point, const UsageWindow& window)
{
    return point.resetsAt && window.resetsAt
           && std::abs((*point.resetsAt - *window.resetsAt).count()) <= samePeriodTolerance;
}

/// Percent per second, from the history's first and last point of this period.
[[nodiscard]] std::optional<double>
historyRate(std::span<const AllowancePoint> history, const UsageWindow& window, Date now)
{
    const AllowancePoint* first = nullptr;
    const AllowancePoint* last = nullptr;
    for (const AllowancePoint& point : history) {
        if (!samePeriod(point, window) || point.date > now) {
            continue;
        }
        if (first == nullptr || point.date < first->date) {
            first = &point;
        }
        if (last == nullptr || point.date > last->date) {
            last = &point;
        }
    }
    if (first == nullptr || last == nullptr || last->date <= first->date) {
        return std::nullopt;
    }
    return (last->usedPercent - first->usedPercent) / (last->date - first->date).count();
}

/// Percent per second since the period began.
[[nodiscard]] std::optional<double> averageRate(const UsageWindow& window, Date now)
{
    if (!window.resetsAt || window.duration <= 0) {
        return std::nullopt;
    }
    const double elapsed = window.duration - (*window.resetsAt - now).count();
    if (!(elapsed > 0)) {
        return std::nullopt;
    }
    return window.usedPercent / elapsed;
}

[[nodiscard]] WindowOutlook
outlook(std::string key, std::string label, const UsageWindow& window, std::optional<double> rate, Date now)
{
    WindowOutlook result{std::move(key), std::move(label), window, std::nullopt};
    // A period that is over has renewed, whatever the last reading said.
    if (!window.resetsAt || *window.resetsAt <= now || !std::isfinite(window.usedPercent)) {
        return result;
    }
    if (window.usedPercent >= 100) {
        result.runsOutAt = now;
    } else if (rate && std::isfinite(*rate) && *rate > 0) {
        result.runsOutAt = now + Seconds{(100 - window.usedPercent) / *rate};
    }
    return result;
}

}  // namespace

bool WindowOutlook::binds() const
{
    return runsOutAt && window.resetsAt && *runsOutAt < *window.resetsAt;
}

std::vector<WindowOutlook>
windowOutlooks(const ProviderReading& reading, std::span<const AllowancePoint> weeklyHistory, Date now)
{
    std::vector<WindowOutlook> all;
    if (reading.weekly) {
        const auto rate = historyRate(weeklyHistory, *reading.weekly, now);
        all.push_back(outlook(std::string(WindowOutlook::weeklyKey),
                              "Week",
                              *reading.weekly,
                              rate ? rate : averageRate(*reading.weekly, now),
                              now));
    }
    if (reading.session) {
        all.push_back(outlook(std::string(WindowOutlook::sessionKey),
                              "Session",
                              *reading.session,
                              averageRate(*reading.session, now),
                              now));
    }
    for (const LimitWindow& other : reading.otherWindows) {
        all.push_back(outlook(other.key, other.label, other.window, averageRate(other.window, now), now));
    }
    std::ranges::stable_partition(all, &WindowOutlook::binds);
    const auto binding = std::ranges::count_if(all, &WindowOutlook::binds);
    std::ranges::stable_sort(all.begin(), all.begin() + binding, {}, [](const WindowOutlook& outlook) {
        return *outlook.runsOutAt;
    });
    return all;
}

std::optional<WindowOutlook> bindingWindow(const std::vector<WindowOutlook>& outlooks)
{
    if (outlooks.empty() || !outlooks.front().binds()) {
        return std::nullopt;
    }
    return outlooks.front();
}

std::string windowName(const WindowOutlook& outlook)
{
    std::string name = outlook.label;
    if (const auto dot = name.find(" · "); dot != std::string::npos) {
        name.replace(dot, std::string_view(" · ").size(), " ");
    } else if (outlook.key != WindowOutlook::weeklyKey && outlook.key != WindowOutlook::sessionKey) {
        name += " " + periodName(outlook.window.duration);
    } else {
        std::ranges::transform(name, name.begin(), [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        });
    }
    return name;
}

std::string roughDuration(double seconds)
{
    const double minutes = std::max(std::round(seconds / 60), 1.0);
    if (minutes < 90) {
        return std::to_string(static_cast<std::int64_t>(minutes)) + " min";
    }
    const double hours = std::round(seconds / 3600);
    if (hours < 36) {
        return std::to_string(static_cast<std::int64_t>(hours)) + " h";
    }
    const auto days = static_cast<std::int64_t>(std::min(std::round(seconds / 86400), 1e15));
    return std::to_string(days) + (days == 1 ? " day" : " days");
}

std::string runOutSentence(const WindowOutlook& outlook, Date now)
{
    if (!outlook.binds()) {
        return {};
    }
    const std::string name = "the " + windowName(outlook);
    // Checked by binds() above.
    const double untilRenewal = (*outlook.window.resetsAt - now).count();  // NOLINT(bugprone-unchecked-optional-access)
    const double untilOut = (*outlook.runsOutAt - now).count();            // NOLINT(bugprone-unchecked-optional-access)
    if (untilOut <= 0) {
        std::string sentence = name + " is used up until it renews in " + roughDuration(untilRenewal) + ".";
        sentence.front() = 'T';
        return sentence;
    }
    return "At this pace " + name + " runs out in about " + roughDuration(untilOut) + ", "
           + roughDuration(untilRenewal - untilOut) + " before it renews.";
}

}  // namespace ostrel
