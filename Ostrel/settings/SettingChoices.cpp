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

std::string_view rawValue(TrayStyle style)
{
    switch (style) {
    case TrayStyle::cells:
        return "bars";
    case TrayStyle::cellsAndPercent:
        return "barsAndPercent";
    case TrayStyle::stacked:
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

std::string_view trayStyleLabel(TrayStyle style)
{
    switch (style) {
    case TrayStyle::cells:
        return "Cells";
    case TrayStyle::cellsAndPercent:
        return "Cells and percent";
    case TrayStyle::stacked:
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

std::string_view rawValue(PanelTab tab)
{
    switch (tab) {
    case PanelTab::pace:
        return "Ostrel";
    case PanelTab::activity:
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

std::optional<TrayStyle> trayStyleFromRawValue(std::string_view raw)
{
    return fromRawValue(allTrayStyles, raw);
}

std::optional<TrayIconMode> trayIconModeFromRawValue(std::string_view raw)
{
    return fromRawValue(allTrayIconModes, raw);
}

std::optional<PanelTab> popoverTabFromRawValue(std::string_view raw)
{
    return fromRawValue(allPanelTabs, raw);
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
