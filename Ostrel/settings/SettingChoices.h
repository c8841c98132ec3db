#pragma once
// The enumerated choices that the settings file keeps as raw-value strings:
// the tray label style and the panel's three remembered choices. A raw value
// that names no case reads as absent, so the caller's default applies.

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace ostrel {

/// How the tray label draws each provider.
enum class TrayStyle
{
    cells,
    cellsAndPercent,
    stacked
};

inline constexpr std::array<TrayStyle, 3> allTrayStyles{TrayStyle::cells,
                                                        TrayStyle::cellsAndPercent,
                                                        TrayStyle::stacked};

/// Which panel colour the tray marks are drawn for. Automatic follows the
/// platform palette; Colourful keeps the provider accents and edges them so
/// they read on light and dark panels alike.
enum class TrayIconMode
{
    automatic,
    colourful,
    lightPanel,
    darkPanel
};

inline constexpr std::array<TrayIconMode, 4> allTrayIconModes{TrayIconMode::automatic,
                                                              TrayIconMode::colourful,
                                                              TrayIconMode::lightPanel,
                                                              TrayIconMode::darkPanel};

/// The panel's two tabs; the raw values are also the tab titles.
enum class PanelTab
{
    pace,
    activity
};

inline constexpr std::array<PanelTab, 2> allPanelTabs{PanelTab::pace, PanelTab::activity};

/// The span of the activity chart; the raw values are also the switcher titles.
enum class ActivityRange
{
    day,
    week
};

inline constexpr std::array<ActivityRange, 2> allActivityRanges{ActivityRange::day, ActivityRange::week};

/// Which tokens the activity chart counts; the raw values are also the switcher titles.
enum class ActivityMeasure
{
    all,
    fresh
};

inline constexpr std::array<ActivityMeasure, 2> allActivityMeasures{ActivityMeasure::all, ActivityMeasure::fresh};

[[nodiscard]] std::string_view rawValue(TrayStyle style);
[[nodiscard]] std::string_view rawValue(TrayIconMode mode);
[[nodiscard]] std::string_view rawValue(PanelTab tab);
[[nodiscard]] std::string_view rawValue(ActivityRange range);
[[nodiscard]] std::string_view rawValue(ActivityMeasure measure);

[[nodiscard]] std::optional<TrayStyle> trayStyleFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<TrayIconMode> trayIconModeFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<PanelTab> popoverTabFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<ActivityRange> activityRangeFromRawValue(std::string_view raw);
[[nodiscard]] std::optional<ActivityMeasure> activityMeasureFromRawValue(std::string_view raw);

/// The picker label of a label style: "Cells", "Cells and percent", "Stacked".
[[nodiscard]] std::string_view trayStyleLabel(TrayStyle style);

/// The picker label of a tray-icon mode: "Automatic", "Colourful", "Light panel", "Dark panel".
[[nodiscard]] std::string_view trayIconModeLabel(TrayIconMode mode);

/// The refresh intervals the settings window offers, in minutes.
inline constexpr std::array<int, 5> offeredRefreshMinutes{15, 30, 60, 120, 240};

/// The picker label of a refresh interval: "15 minutes", "hour", "2 hours".
[[nodiscard]] std::string refreshIntervalLabel(int minutes);

}  // namespace ostrel
