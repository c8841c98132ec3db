#include "app/StatusFormats.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <iterator>
#include <utility>
#include <vector>

#include "model/Json.h"
#include "model/TierColor.h"

namespace ostrel::StatusFormats {
namespace {

using Status = ProviderDisplay::Status;

constexpr std::string_view separator = " \u00B7 ";
constexpr std::string_view nothingEnabled = "No providers enabled";

/// What a provider without a gauge shows in the short formats.
[[nodiscard]] std::string_view shortState(Status status)
{
    switch (status) {
    case Status::loading:
        return "loading";
    case Status::renewed:
        return "renewed";
    case Status::enterprise:
        return "enterprise";
    case Status::apiBilling:
        return "API billing";
    case Status::needsLogin:
        return "sign in";
    case Status::cliMissing:
        return "no CLI";
    case Status::live:
    case Status::stale:
    case Status::unavailable:
        break;
    }
    return "unavailable";
}

/// "(stale)" or "(sign in)" after a gauge whose numbers are dimmed in the panel.
[[nodiscard]] std::string_view gaugeNote(Status status)
{
    switch (status) {
    case Status::stale:
        return " (stale)";
    case Status::needsLogin:
        return " (sign in)";
    default:
        return "";
    }
}

[[nodiscard]] std::string cells(int lit)
{
    std::string text;
    for (int cell = 0; cell < Pace::cellCount; ++cell) {
        text += cell < lit ? "\u25B0" : "\u25B1";
    }
    return text;
}

/// " · Sonnet week out in 9 h" when a window other than the weekly one runs out first.
[[nodiscard]] std::string bindingNote(const ProviderDisplay& display, Date now)
{
    const auto first = display.binding();
    // Checked by binding(): a binding window runs out at a known time.
    if (!first || first->key == WindowOutlook::weeklyKey || !first->runsOutAt) {
        return {};
    }
    const double left = (*first->runsOutAt - now).count();
    return " \u00B7 " + windowName(*first) + (left > 0 ? " out in " + roughDuration(left) : " used up");
}

/// "Claude ▰▰▰▱▱ 62% 1d 5h", or "Claude 62%" when `brief`; "Claude sign in" without a gauge. Unless
/// brief, the window that runs out first follows when it is not the weekly one.
[[nodiscard]] std::string segment(const ProviderDisplay& display, bool brief, Date now)
{
    std::string text = display.title();
    if (!display.pace) {
        return text + ' ' + std::string{shortState(display.status)};
    }
    const Pace& pace = *display.pace;
    if (!brief) {
        text += ' ' + cells(pace.litCells);
    }
    text += ' ' + std::to_string(pace.percentLeft()) + '%';
    if (!brief) {
        text += ' ' + pace.timeText();
    }
    text += gaugeNote(display.status);
    return brief ? text : text + bindingNote(display, now);
}

template <class Piece>
[[nodiscard]] std::string joined(std::span<const ProviderDisplay> displays, Piece piece)
{
    if (displays.empty()) {
        return std::string{nothingEnabled};
    }
    std::string text;
    for (const ProviderDisplay& display : displays) {
        if (!text.empty()) {
            text += separator;
        }
        text += piece(display);
    }
    return text;
}

[[nodiscard]] std::string shortLine(std::span<const ProviderDisplay> displays, bool brief, Date now)
{
    return joined(displays, [brief, now](const ProviderDisplay& display) { return segment(display, brief, now); });
}

[[nodiscard]] std::vector<std::string> reportLines(std::span<const ProviderDisplay> displays, Date now)
{
    std::vector<std::string> lines;
    for (const ProviderDisplay& display : displays) {
        std::ranges::move(display.reportLines(now), std::back_inserter(lines));
    }
    if (lines.empty()) {
        lines.emplace_back(nothingEnabled);
    }
    return lines;
}

[[nodiscard]] std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines) {
        if (!text.empty()) {
            text += '\n';
        }
        text += line;
    }
    return text;
}

/// The pacing of the provider that is shortest of allowance for its time: the
/// worst tier, and among equal tiers the least left.
[[nodiscard]] const Pace* tightest(std::span<const ProviderDisplay> displays)
{
    const Pace* found = nullptr;
    for (const ProviderDisplay& display : displays) {
        if (!display.pace) {
            continue;
        }
        const Pace& pace = *display.pace;
        if (!found || pace.tier > found->tier
            || (pace.tier == found->tier && pace.percentLeft() < found->percentLeft())) {
            found = &pace;
        }
    }
    return found;
}

[[nodiscard]] std::string polybarLine(std::span<const ProviderDisplay> displays, Date now)
{
    return joined(displays, [now](const ProviderDisplay& display) {
        std::string text = segment(display, false, now);
        if (!display.pace) {
            return text;
        }
        return "%{F" + tierRgb(display.pace->tier).hex() + "}" + text + "%{F-}";
    });
}

[[nodiscard]] std::string i3blocksLines(std::span<const ProviderDisplay> displays, Date now)
{
    std::string text = shortLine(displays, false, now) + '\n' + shortLine(displays, true, now) + '\n';
    if (const Pace* pace = tightest(displays)) {
        text += tierRgb(pace->tier).hex() + '\n';
    }
    return text;
}

/// Compact and on one line; our own values are always finite, so writing cannot fail.
[[nodiscard]] std::string compact(const Json::Value& value)
{
    return Json::serialize(value).value_or("{}");
}

[[nodiscard]] std::string waybarObject(std::span<const ProviderDisplay> displays, Date now)
{
    Json::Value object = Json::Value::object();
    object["text"] = shortLine(displays, false, now);
    object["tooltip"] = joinedLines(reportLines(displays, now));
    const Pace* pace = tightest(displays);
    object["class"] = pace ? std::string{rawValue(pace->tier)} : std::string{"none"};
    if (pace) {
        object["percentage"] = pace->percentLeft();
    }
    return compact(object);
}

[[nodiscard]] Json::Value optionalTime(const std::optional<Date>& date)
{
    return date ? Json::Value(isoTime(*date)) : Json::Value(nullptr);
}

[[nodiscard]] Json::Value optionalText(const std::optional<std::string>& text)
{
    return text ? Json::Value(*text) : Json::Value(nullptr);
}

[[nodiscard]] Json::Value sessionObject(const std::optional<ProviderReading>& reading)
{
    if (!reading || !reading->session) {
        return nullptr;
    }
    const UsageWindow& window = *reading->session;
    Json::Value object = Json::Value::object();
    object["usedPercent"] = window.usedPercent;
    object["percentLeft"] = Pace::percent(window.allowanceFraction());
    object["renewsAt"] = optionalTime(window.resetsAt);
    object["durationSeconds"] = window.duration;
    return object;
}

/// Every window with its run-out, those that bind first at the front.
[[nodiscard]] Json::Value windowsArray(const ProviderDisplay& display)
{
    Json::Value list = Json::Value::array();
    for (const WindowOutlook& outlook : display.windows) {
        Json::Value object = Json::Value::object();
        object["key"] = outlook.key;
        object["label"] = outlook.label;
        object["usedPercent"] = outlook.window.usedPercent;
        object["renewsAt"] = optionalTime(outlook.window.resetsAt);
        object["durationSeconds"] = outlook.window.duration;
        object["runsOutAt"] = optionalTime(outlook.runsOutAt);
        object["binds"] = outlook.binds();
        list.push_back(std::move(object));
    }
    return list;
}

[[nodiscard]] Json::Value resetCreditObject(const ResetCreditStatus& credits)
{
    Json::Value object = Json::Value::object();
    object["available"] = credits.available.size();
    object["expiringSoon"] = credits.expiringSoon.size();
    object["nextExpiresAt"] = optionalTime(credits.nextExpiry());
    object["headline"] = optionalText(credits.headline());
    return object;
}

[[nodiscard]] Json::Value failureObject(const std::optional<FetchFailure>& failure)
{
    if (!failure) {
        return nullptr;
    }
    Json::Value object = Json::Value::object();
    // The readings file names the case as the only key of the failure's object.
    object["kind"] = Json::encode(*failure).begin().key();
    object["summary"] = failure->summary();
    object["detail"] = optionalText(failure->detail());
    return object;
}

/// What fired for the display's account in the windows' current periods, and its last sign-out or sign-in, oldest
/// first.
[[nodiscard]] Json::Value alertsArray(const std::optional<AlertState>& alerts, const ProviderDisplay& display)
{
    std::vector<std::pair<const FiredAlert*, const std::string*>> fired;
    if (alerts) {
        for (const ProviderAlertState& state : alerts->providers) {
            if (state.provider != display.provider || state.accountId != display.accountId) {
                continue;
            }
            if (state.account) {
                fired.emplace_back(&*state.account, nullptr);
            }
            for (const WindowAlertState& window : state.windows) {
                for (const FiredAlert& alert : window.fired) {
                    fired.emplace_back(&alert, &window.key);
                }
            }
        }
    }
    std::ranges::stable_sort(fired, {}, [](const auto& entry) { return entry.first->at; });
    Json::Value array = Json::Value::array();
    for (const auto& [alert, window] : fired) {
        Json::Value object = Json::Value::object();
        object["kind"] = rawValue(alert->kind);
        object["window"] = window ? Json::Value(*window) : Json::Value(nullptr);
        object["at"] = isoTime(alert->at);
        object["sent"] = alert->delivered;
        array.push_back(std::move(object));
    }
    return array;
}

[[nodiscard]] Json::Value
providerObject(const ProviderDisplay& display, Date now, const std::optional<AlertState>& alerts)
{
    const Pace* pace = display.pace ? &*display.pace : nullptr;
    const std::optional<ProviderReading>& reading = display.reading;
    std::optional<Date> renewsAt;
    if (pace && reading && reading->weekly) {
        renewsAt = reading->weekly->resetsAt;
    }
    Json::Value object = Json::Value::object();
    object["provider"] = rawValue(display.provider);
    object["name"] = displayName(display.provider);
    object["account"] = display.accountId.empty()
                            ? Json::Value(nullptr)
                            : Json::Value{{"id", display.accountId}, {"name", display.accountName}};
    object["status"] = rawValue(display.status);
    object["tier"] = pace ? Json::Value(rawValue(pace->tier)) : Json::Value(nullptr);
    object["percentLeft"] = pace ? Json::Value(pace->percentLeft()) : Json::Value(nullptr);
    object["litCells"] = pace ? Json::Value(pace->litCells) : Json::Value(nullptr);
    object["renewsAt"] = optionalTime(renewsAt);
    const bool timed = pace != nullptr && pace->timeRemaining;
    object["timeRemainingSeconds"] = timed ? Json::Value(*pace->timeRemaining) : Json::Value(nullptr);
    object["timeRemaining"] = timed ? Json::Value(pace->timeText()) : Json::Value(nullptr);
    object["session"] = sessionObject(reading);
    object["windows"] = windowsArray(display);
    const auto binding = display.binding();
    object["binding"] = binding ? Json::Value(binding->key) : Json::Value(nullptr);
    object["resetCredits"] = resetCreditObject(display.resetCredits);
    object["plan"] = optionalText(reading ? reading->plan : std::nullopt);
    object["source"] = reading ? Json::Value(reading->source) : Json::Value(nullptr);
    object["lastReadingAt"] = optionalTime(reading ? std::optional{reading->fetchedAt} : std::nullopt);
    object["failure"] = failureObject(display.failure);
    object["reportLines"] = display.reportLines(now);
    object["alerts"] = alertsArray(alerts, display);
    return object;
}

[[nodiscard]] std::string
jsonDocument(std::span<const ProviderDisplay> displays, Date now, const std::optional<AlertState>& alerts)
{
    Json::Value document = Json::Value::object();
    document["schemaVersion"] = schemaVersion;
    document["generatedAt"] = isoTime(now);
    document["providers"] = Json::Value::array();
    for (const ProviderDisplay& display : displays) {
        document["providers"].push_back(providerObject(display, now, alerts));
    }
    return compact(document);
}

}  // namespace

std::optional<StatusFormat> fromName(std::string_view name)
{
    return fromRawValue<StatusFormat>(name);
}

std::string render(StatusFormat format,
                   std::span<const ProviderDisplay> displays,
                   Date now,
                   const std::optional<AlertState>& alerts)
{
    switch (format) {
    case StatusFormat::text:
        return joinedLines(reportLines(displays, now)) + '\n';
    case StatusFormat::line:
        return shortLine(displays, false, now) + '\n';
    case StatusFormat::waybar:
        return waybarObject(displays, now) + '\n';
    case StatusFormat::i3blocks:
        return i3blocksLines(displays, now);
    case StatusFormat::polybar:
        return polybarLine(displays, now) + '\n';
    case StatusFormat::json:
        break;
    }
    return jsonDocument(displays, now, alerts) + '\n';
}

std::string isoTime(Date date)
{
    using namespace std::chrono;
    const auto second = floor<seconds>(date);
    const auto day = floor<days>(second);
    const year_month_day civil(day);
    const hh_mm_ss time(second - day);
    std::array<char, 40> text{};
    const int length = std::snprintf(text.data(),
                                     text.size(),
                                     "%04d-%02u-%02uT%02ld:%02ld:%02ldZ",
                                     static_cast<int>(civil.year()),
                                     static_cast<unsigned>(civil.month()),
                                     static_cast<unsigned>(civil.day()),
                                     time.hours().count(),
                                     time.minutes().count(),
                                     time.seconds().count());
    return {text.data(), static_cast<std::size_t>(std::max(length, 0))};
}

}  // namespace ostrel::StatusFormats
