#include "readers/ClaudeUsageParser.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>

#include <nlohmann/json.hpp>

#include "model/JsonReading.h"
#include "model/JsonText.h"
#include "readers/DateParsing.h"
#include "readers/OtherWindows.h"

namespace ostrel::ClaudeUsageParser {
namespace {

using nlohmann::json;

constexpr std::string_view apiSource = "usage API";
constexpr std::string_view cliSource = "claude /usage";
constexpr std::string_view organisationNote = "Usage is managed by your organisation";

using JsonReading::decimal;
using JsonReading::member;
using JsonReading::string;

[[nodiscard]] std::optional<UsageWindow> window(const json* value, std::string_view usedKey, double duration)
{
    const auto used = number(member(value, usedKey));
    if (!used) {
        return std::nullopt;
    }
    const auto resets = string(member(value, "resets_at"));
    return UsageWindow{.usedPercent = *used,
                       .resetsAt = resets ? DateParsing::iso8601(*resets) : std::nullopt,
                       .duration = duration};
}

/// The first entry of `limits` of this kind decides; later ones are not looked at.
[[nodiscard]] std::optional<UsageWindow> limitWindow(const json& limits, std::string_view kind, double duration)
{
    for (const json& entry : limits) {
        if (string(member(&entry, "kind")) == kind) {
            return window(&entry, "percent", duration);
        }
    }
    return std::nullopt;
}

[[nodiscard]] std::string organisationNoteFor(const json& body)
{
    const json* spend = member(&body, "spend");
    const json* enabled = member(spend, "enabled");
    const json* percent = member(spend, "percent");
    if (enabled == nullptr || !enabled->is_boolean() || !enabled->get<bool>() || percent == nullptr
        || !percent->is_number()) {
        return std::string(organisationNote);
    }
    const double rounded = std::round(percent->get<double>());
    if (!std::isfinite(rounded) || std::abs(rounded) >= 9.2e18) {
        return std::string(organisationNote);
    }
    return "Organisation spend cap: " + std::to_string(static_cast<std::int64_t>(rounded)) + "% used";
}

/// Weekly or session line of the report: percent used and the optional reset.
[[nodiscard]] std::optional<UsageWindow>
reportWindow(std::string_view text, std::string_view label, double duration, Date now, const icu::TimeZone& localZone)
{
    const std::string pattern =
        std::string(label) + R"(\s*([\d.]+)%\s*used(?:\s*\x{00B7}\s*resets\s+([^\n(]+?)\s*\(([^)\n]+)\))?)";
    const auto groups = DateParsing::captures(pattern, text);
    if (!groups || groups->size() != 3) {
        return std::nullopt;
    }
    const std::optional<std::string>& usedText = (*groups)[0];
    const std::optional<std::string>& resetText = (*groups)[1];
    const std::optional<std::string>& zoneText = (*groups)[2];
    if (!usedText) {
        return std::nullopt;
    }
    const auto used = decimal(*usedText);
    if (!used) {
        return std::nullopt;
    }
    UsageWindow result{.usedPercent = *used, .resetsAt = std::nullopt, .duration = duration};
    if (resetText) {
        std::unique_ptr<icu::TimeZone> named;
        if (zoneText) {
            named.reset(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(*zoneText)));
            if (named && *named == icu::TimeZone::getUnknown()) {
                named.reset();
            }
        }
        result.resetsAt = DateParsing::claudeResetPhrase(*resetText, named ? *named : localZone, now);
    }
    return result;
}

}  // namespace

std::optional<double> number(const json* value)
{
    return JsonReading::number(value);
}

bool looksSignedOut(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    constexpr std::array<std::string_view, 7> phrases{"not logged in",
                                                      "please run /login",
                                                      "run claude auth login",
                                                      "invalid api key",
                                                      "oauth token has expired",
                                                      "please log in",
                                                      "authentication_error"};
    return std::ranges::any_of(phrases,
                               [&lower](std::string_view phrase) { return lower.find(phrase) != std::string::npos; });
}

FetchResult parseAPI(std::string_view body, const ClaudePlan& plan, Date now)
{
    const json document = JsonText::parse(body);
    if (document.is_discarded() || !document.is_object()) {
        return std::unexpected(FetchFailure::unexpected("Claude usage response wasn't JSON"));
    }
    json limits = json::array();
    if (const json* list = member(&document, "limits"); list != nullptr && list->is_array()) {
        for (const json& entry : *list) {
            if (entry.is_object()) {
                limits.push_back(entry);
            }
        }
    }
    auto weekly = window(member(&document, "seven_day"), "utilization", UsageWindow::week);
    if (!weekly) {
        weekly = limitWindow(limits, "weekly_all", UsageWindow::week);
    }
    auto session = window(member(&document, "five_hour"), "utilization", UsageWindow::fiveHours);
    if (!session) {
        session = limitWindow(limits, "session", UsageWindow::fiveHours);
    }
    ProviderReading reading{.provider = Provider::claude, .fetchedAt = now, .source = std::string(apiSource)};
    if (!weekly) {
        if (!plan.isOrganisational() && !document.contains("spend") && !document.contains("extra_usage")) {
            return std::unexpected(FetchFailure::unexpected("Claude reported no weekly allowance"));
        }
        reading.plan = plan.displayName().value_or("Enterprise");
        reading.kind = AccountKind::enterprise;
        reading.note = organisationNoteFor(document);
        return reading;
    }
    reading.plan = plan.displayName();
    reading.weekly = weekly;
    reading.session = session;
    reading.otherWindows = OtherWindows::fromClaude(document);
    return reading;
}

FetchResult parseCLIText(std::string_view text, const ClaudePlan& plan, Date now, const icu::TimeZone& localZone)
{
    if (looksSignedOut(text)) {
        return std::unexpected(FetchFailure::notLoggedIn());
    }
    const auto weekly = reportWindow(text, R"(Current week \(all models\):)", UsageWindow::week, now, localZone);
    if (!weekly) {
        return std::unexpected(FetchFailure::unexpected(std::string(noAllowanceText)));
    }
    return ProviderReading{.provider = Provider::claude,
                           .fetchedAt = now,
                           .plan = plan.displayName(),
                           .weekly = weekly,
                           .session = reportWindow(text, "Current session:", UsageWindow::fiveHours, now, localZone),
                           .source = std::string(cliSource)};
}

}  // namespace ostrel::ClaudeUsageParser
