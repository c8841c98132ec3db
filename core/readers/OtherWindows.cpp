#include "readers/OtherWindows.h"

#include <algorithm>
#include <cmath>
#include <set>

#include <nlohmann/json.hpp>

#include "model/JsonReading.h"
#include "readers/CodexUsageParser.h"
#include "readers/DateParsing.h"

namespace ostrel::OtherWindows {
namespace {

using JsonReading::array;
using JsonReading::member;
using JsonReading::number;
using JsonReading::object;
using JsonReading::string;
using nlohmann::json;

/// Claude's bucket: a numeric `utilization` and an optional ISO 8601 `resets_at`.
[[nodiscard]] std::optional<UsageWindow> claudeWindow(const json* bucket)
{
    const auto used = number(member(object(bucket), "utilization"));
    if (!used || !std::isfinite(*used)) {
        return std::nullopt;
    }
    const auto resets = string(member(bucket, "resets_at"));
    return UsageWindow{.usedPercent = *used,
                       .resetsAt = resets ? DateParsing::iso8601(*resets) : std::nullopt,
                       .duration = UsageWindow::week};
}

/// "Opus" for "opus", "Apps" for "oauth_apps", "New model" for "new_model".
[[nodiscard]] std::string weekName(std::string what)
{
    if (what == "oauth_apps") {
        return "Apps";
    }
    std::ranges::replace(what, '_', ' ');
    if (what.front() >= 'a' && what.front() <= 'z') {
        what.front() = static_cast<char>(what.front() - 'a' + 'A');
    }
    return what;
}

/// Adds the window unless its key is taken already.
void add(std::vector<LimitWindow>& windows, std::set<std::string>& keys, LimitWindow window)
{
    if (keys.insert(window.key).second) {
        windows.push_back(std::move(window));
    }
}

}  // namespace

std::vector<LimitWindow> fromClaude(const json& body)
{
    std::vector<LimitWindow> windows;
    std::set<std::string> keys;
    // Every further week the server names "seven_day_<what>": seven_day_opus,
    // seven_day_sonnet, seven_day_oauth_apps, and any it adds later.
    constexpr std::string_view weekPrefix = "seven_day_";
    if (body.is_object()) {
        for (const auto& [key, bucket] : body.items()) {
            if (!key.starts_with(weekPrefix) || key.size() == weekPrefix.size()) {
                continue;
            }
            if (const auto window = claudeWindow(&bucket)) {
                add(windows, keys, {key, weekName(key.substr(weekPrefix.size())) + " · week", *window});
            }
        }
    }
    if (const json* scoped = array(member(&body, "model_scoped"))) {
        for (const json& bucket : *scoped) {
            const auto name = string(member(object(&bucket), "display_name"));
            const auto window = claudeWindow(&bucket);
            if (name && !name->empty() && window) {
                add(windows, keys, {"model:" + *name, *name, *window});
            }
        }
    }
    return windows;
}

std::vector<LimitWindow> fromCodex(const json* rateLimits, std::string_view ownLimit)
{
    std::vector<LimitWindow> windows;
    std::set<std::string> keys;
    const json* limits = object(member(rateLimits, "rateLimitsByLimitId"));
    if (limits == nullptr) {
        return windows;
    }
    for (const auto& [id, limit] : limits->items()) {
        if (id == ownLimit || !limit.is_object()) {
            continue;
        }
        const std::string name = string(member(&limit, "limitName")).value_or(id);
        for (const char* side : {"primary", "secondary"}) {
            const auto window = CodexUsageParser::window(member(&limit, side));
            // A window without a length cannot be paced.
            if (!window || !std::isfinite(window->usedPercent) || !std::isfinite(window->duration)
                || window->duration <= 0) {
                continue;
            }
            add(windows,
                keys,
                {"codex:" + id + ":" + side,
                 (name.empty() ? id : name) + " · " + periodName(window->duration),
                 *window});
        }
    }
    return windows;
}

}  // namespace ostrel::OtherWindows
