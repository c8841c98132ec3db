#include "settings/SettingChoices.h"

namespace ostrel {
namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> fromRawValue(const std::array<Enum, N>& cases, std::string_view raw)
{
    for (Enum value : cases) {
        if (rawValue(value) == raw) {
            return value;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view rawValue(MenuBarStyle style)
{
    switch (style) {
    case MenuBarStyle::bars:
        return "bars";
    case MenuBarStyle::barsAndPercent:
        return "barsAndPercent";
    case MenuBarStyle::stacked:
        return "stacked";
    }
    return "bars";
}

std::string_view rawValue(TrayIconMode mode)
{
    switch (mode) {
    case TrayIconMode::automatic:
        return "automatic";
    case TrayIconMode::colourful:
        return "colourful";
    case TrayIconMode::lightPanel:
        return "lightPanel";
    case TrayIconMode::darkPanel:
        return "darkPanel";
    }
    return "automatic";
}

std::string_view menuBarStyleLabel(MenuBarStyle style)
{
    switch (style) {
    case MenuBarStyle::bars:
        return "Cells";
    case MenuBarStyle::barsAndPercent:
        return "Cells and percent";
    case MenuBarStyle::stacked:
        return "Stacked";
    }
    return "Cells";
}

std::string_view trayIconModeLabel(TrayIconMode mode)
{
    switch (mode) {
    case TrayIconMode::automatic:
        return "Automatic";
    case TrayIconMode::colourful:
        return "Colourful";
    case TrayIconMode::lightPanel:
        return "Light panel";
    case TrayIconMode::darkPanel:
        return "Dark panel";
    }
    return "Automatic";
}

std::string_view rawValue(PopoverTab tab)
{
    switch (tab) {
    case PopoverTab::ostrel:
        return "Ostrel";
    case PopoverTab::activity:
        return "Activity";
    }
    return "Ostrel";
}

std::string_view rawValue(ActivityRange range)
{
    switch (range) {
    case ActivityRange::day:
        return "24 hours";
    case ActivityRange::week:
        return "7 days";
    }
    return "24 hours";
}

std::string_view rawValue(ActivityMeasure measure)
{
    switch (measure) {
    case ActivityMeasure::all:
        return "All";
    case ActivityMeasure::fresh:
        return "New only";
    }
    return "All";
}

std::optional<MenuBarStyle> menuBarStyleFromRawValue(std::string_view raw)
{
    return fromRawValue(allMenuBarStyles, raw);
}

std::optional<TrayIconMode> trayIconModeFromRawValue(std::string_view raw)
{
    return fromRawValue(allTrayIconModes, raw);
}

std::optional<PopoverTab> popoverTabFromRawValue(std::string_view raw)
{
    return fromRawValue(allPopoverTabs, raw);
}

std::optional<ActivityRange> activityRangeFromRawValue(std::string_view raw)
{
    return fromRawValue(allActivityRanges, raw);
}

std::optional<ActivityMeasure> activityMeasureFromRawValue(std::string_view raw)
{
    return fromRawValue(allActivityMeasures, raw);
}

std::string refreshIntervalLabel(int minutes)
{
    if (minutes == 60) {
        return "hour";
    }
    // Whole hours above an hour read as hours; anything else stays in minutes
    // so an odd stored value is never shown rounded.
    if (minutes > 60 && minutes % 60 == 0) {
        return std::to_string(minutes / 60) + " hours";
    }
    return std::to_string(minutes) + " minutes";
}

}  // namespace ostrel
