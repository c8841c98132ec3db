#pragma once
// What `ostrel --status` prints for bars, terminals and scripts: one update in
// one of six formats, built from the display states of the enabled providers
// at one moment. Every update ends in a newline; all but `text` and `i3blocks`
// are a single line, so a bar that runs `--watch` reads one update per line.

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/AlertRules.h"
#include "model/Date.h"
#include "model/ProviderDisplay.h"

namespace ostrel {

enum class StatusFormat
{
    text,      ///< the report lines, as the tooltip and the copied summary show them
    line,      ///< one short line, e.g. "Claude ▰▰▰▱▱ 62% 1d 5h · OpenAI ▰▰▱▱▱ 41% 4d"
    waybar,    ///< one JSON object with text, tooltip, class and percentage
    i3blocks,  ///< full text, short text and, when a provider is paced, a colour line
    polybar,   ///< the line with each paced provider in its tier colour
    json       ///< the whole state per provider; a stable, versioned interface
};

/// The names `--status` takes.
[[nodiscard]] constexpr auto enumRows(StatusFormat /*tag*/)
{
    return std::to_array<EnumRow<StatusFormat>>({
        {StatusFormat::text, "text"},
        {StatusFormat::line, "line"},
        {StatusFormat::waybar, "waybar"},
        {StatusFormat::i3blocks, "i3blocks"},
        {StatusFormat::polybar, "polybar"},
        {StatusFormat::json, "json"},
    });
}

namespace StatusFormats {

/// Raised whenever a field of the JSON output changes meaning or goes away.
inline constexpr int schemaVersion = 1;
/// Every format's name, in the order of the enum, for messages.
inline constexpr std::string_view names = "text, line, waybar, i3blocks, polybar, json";

[[nodiscard]] std::optional<StatusFormat> fromName(std::string_view name);

/// One update in `format`, ending in a newline. `alerts`, the app's kept alert
/// state where there is one, adds what fired in the current periods to `json`.
[[nodiscard]] std::string render(StatusFormat format,
                                 std::span<const ProviderDisplay> displays,
                                 Date now,
                                 const std::optional<AlertState>& alerts = std::nullopt);

/// UTC, to the second: "2026-12-07T11:55:14Z".
[[nodiscard]] std::string isoTime(Date date);

}  // namespace StatusFormats
}  // namespace ostrel
