#pragma once
// The enumerated choices that the settings file keeps as raw-value strings:
// the tray label style and the panel's three remembered choices. A raw value
// that names no case reads as absent, so the caller's default applies.

#include <array>
#include <string>

#include "model/EnumRows.h"

namespace ostrel {

/// How the tray label draws each provider.
enum class TrayStyle
{
    cells,
    cellsAndPercent,
    stacked
};

[[nodiscard]] constexpr auto enumRows(TrayStyle /*tag*/)
{
    return std::to_array<EnumRow<TrayStyle>>({
        {TrayStyle::cells, "bars", "Cells"},
        {TrayStyle::cellsAndPercent, "barsAndPercent", "Cells and percent"},
        {TrayStyle::stacked, "stacked", "Stacked"},
    });
}

/// Which panel colour the tray marks are drawn for. Automatic is for the
/// panel behind the items where that is known, else as Colourful; Colourful keeps the provider accents and edges them
/// so they read on light and dark panels alike.
enum class TrayIconMode
{
    automatic,
    colourful,
    lightPanel,
    darkPanel
};

[[nodiscard]] constexpr auto enumRows(TrayIconMode /*tag*/)
{
    return std::to_array<EnumRow<TrayIconMode>>({
        {TrayIconMode::automatic, "automatic", "Automatic"},
        {TrayIconMode::colourful, "colourful", "Colourful"},
        {TrayIconMode::lightPanel, "lightPanel", "Light panel"},
        {TrayIconMode::darkPanel, "darkPanel", "Dark panel"},
    });
}

/// Which window the tray's cells and colour pace: the weekly allowance, or the
/// window that runs out first, before it renews, where one does.
enum class GaugeWindow
{
    weekly,
    binding
};

[[nodiscard]] constexpr auto enumRows(GaugeWindow /*tag*/)
{
    return std::to_array<EnumRow<GaugeWindow>>({
        {GaugeWindow::weekly, "weekly", "Weekly allowance"},
        {GaugeWindow::binding, "binding", "The window that binds first"},
    });
}

/// The panel's two tabs; the raw values are also the tab titles.
enum class PanelTab
{
    pace,
    activity
};

[[nodiscard]] constexpr auto enumRows(PanelTab /*tag*/)
{
    return std::to_array<EnumRow<PanelTab>>({{PanelTab::pace, "Ostrel"}, {PanelTab::activity, "Activity"}});
}

/// The span of the activity chart; the raw values are also the switcher titles.
enum class ActivityRange
{
    day,
    week
};

[[nodiscard]] constexpr auto enumRows(ActivityRange /*tag*/)
{
    return std::to_array<EnumRow<ActivityRange>>({{ActivityRange::day, "24 hours"}, {ActivityRange::week, "7 days"}});
}

/// Which tokens the activity chart counts; the raw values are also the switcher titles.
enum class ActivityMeasure
{
    all,
    fresh
};

[[nodiscard]] constexpr auto enumRows(ActivityMeasure /*tag*/)
{
    return std::to_array<EnumRow<ActivityMeasure>>(
        {{ActivityMeasure::all, "All"}, {ActivityMeasure::fresh, "New only"}});
}

inline constexpr auto allTrayStyles = allCases<TrayStyle>;
inline constexpr auto allTrayIconModes = allCases<TrayIconMode>;
inline constexpr auto allGaugeWindows = allCases<GaugeWindow>;
inline constexpr auto allPanelTabs = allCases<PanelTab>;
inline constexpr auto allActivityRanges = allCases<ActivityRange>;
inline constexpr auto allActivityMeasures = allCases<ActivityMeasure>;

/// Readers of one choice's raw value; anything but a raw value reads as absent.
inline constexpr auto trayStyleFromRawValue = &fromRawValue<TrayStyle>;
inline constexpr auto panelTabFromRawValue = &fromRawValue<PanelTab>;
inline constexpr auto activityRangeFromRawValue = &fromRawValue<ActivityRange>;
inline constexpr auto activityMeasureFromRawValue = &fromRawValue<ActivityMeasure>;

/// The picker labels: "Cells", "Cells and percent", …; "Automatic", "Colourful", "Light panel", …
inline constexpr auto trayStyleLabel = &labelOf<TrayStyle>;
inline constexpr auto trayIconModeLabel = &labelOf<TrayIconMode>;
inline constexpr auto gaugeWindowLabel = &labelOf<GaugeWindow>;

/// The refresh intervals the settings window offers, in minutes.
inline constexpr std::array<int, 5> offeredRefreshMinutes{15, 30, 60, 120, 240};

/// The picker label of a refresh interval: "15 minutes", "hour", "2 hours".
[[nodiscard]] std::string refreshIntervalLabel(int minutes);

}  // namespace ostrel
