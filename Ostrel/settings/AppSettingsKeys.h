#pragma once
// The table of every key of the settings file: its name, its default and its
// member. Private to AppSettings.cpp, which alone includes it.

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <tuple>

#include "settings/AppSettings.h"
#include "settings/SettingKey.h"

namespace ostrel {
namespace settings {

/// Below 1 the timer would fire continuously; above the longest its milliseconds overflow.
[[nodiscard]] inline int refreshMinutesInEffect(int minutes)
{
    return minutes < 1 ? AppSettings::defaultRefreshMinutes : std::min(minutes, AppSettings::longestRefreshMinutes);
}

/// Only the offered thresholds count; a hand-edited other value reads as the default.
[[nodiscard]] inline int thresholdInEffect(int percent)
{
    return std::ranges::find(alertThresholds, percent) != alertThresholds.end() ? percent : defaultAlertThreshold;
}

}  // namespace settings

/// Every key of the settings file. Defaults live here and are never written.
struct AppSettings::Keys
{
    using S = AppSettings;
    static inline const settings::Key claudeEnabled{"claudeEnabled",
                                                    true,
                                                    &S::m_claudeEnabled,
                                                    &S::claudeEnabledChanged};
    static inline const settings::Key openaiEnabled{"openaiEnabled",
                                                    true,
                                                    &S::m_openaiEnabled,
                                                    &S::openaiEnabledChanged};
    static inline const settings::Key refreshMinutes{"refreshMinutes",
                                                     defaultRefreshMinutes,
                                                     &S::m_refreshMinutes,
                                                     &S::refreshMinutesChanged,
                                                     &settings::refreshMinutesInEffect};
    static inline const settings::Key trayStyle{"menuBarStyle",
                                                TrayStyle::cells,
                                                &S::m_trayStyle,
                                                &S::trayStyleChanged};
    static inline const settings::Key trayIcon{"trayIcon",
                                               TrayIconMode::automatic,
                                               &S::m_trayIconMode,
                                               &S::trayIconModeChanged};
    static inline const settings::Key gaugeWindow{"gaugeWindow",
                                                  GaugeWindow::weekly,
                                                  &S::m_gaugeWindow,
                                                  &S::gaugeWindowChanged};
    static inline const settings::Key morningReport{"morningReport",
                                                    true,
                                                    &S::m_morningReport,
                                                    &S::morningReportChanged};
    static inline const settings::Key morningReportTime{"morningReportTime",
                                                        ClockTime{},
                                                        &S::m_morningReportTime,
                                                        &S::morningReportTimeChanged};
    static inline const settings::Key alertPace{"alertPace", true, &S::m_alertPace, &S::alertsChanged};
    static inline const settings::Key alertRunsOut{"alertRunsOut", true, &S::m_alertRunsOut, &S::alertsChanged};
    static inline const settings::Key alertThreshold{"alertThreshold", true, &S::m_alertThreshold, &S::alertsChanged};
    static inline const settings::Key alertRenewed{"alertRenewed", true, &S::m_alertRenewed, &S::alertsChanged};
    static inline const settings::Key alertAccount{"alertAccount", true, &S::m_alertAccount, &S::alertsChanged};

    /// The switch of `topic`'s alerts.
    static const auto& alertSwitch(AlertTopic topic)
    {
        static const auto switches =
            std::to_array({&alertPace, &alertRunsOut, &alertThreshold, &alertRenewed, &alertAccount});
        static_assert(switches.size() == allCases<AlertTopic>.size());
        return *switches.at(static_cast<std::size_t>(topic));
    }

    static inline const settings::Key alertThresholdPercent{"alertThresholdPercent",
                                                            int{defaultAlertThreshold},
                                                            &S::m_alertThresholdPercent,
                                                            &S::alertsChanged,
                                                            &settings::thresholdInEffect};
    static inline const settings::Key claudePath{"claudePath", std::string(), &S::m_claudePath, &S::claudePathChanged};
    static inline const settings::Key codexPath{"codexPath", std::string(), &S::m_codexPath, &S::codexPathChanged};
    static inline const settings::Key claudeFolder{"claudeFolder",
                                                   std::string(),
                                                   &S::m_claudeFolder,
                                                   &S::claudeFolderChanged};
    static inline const settings::Key codexFolder{"codexFolder",
                                                  std::string(),
                                                  &S::m_codexFolder,
                                                  &S::codexFolderChanged};
    static inline const settings::Key configuredLoginItem{"configuredLoginItem",
                                                          false,
                                                          &S::m_configuredLoginItem,
                                                          nullptr};
    static inline const settings::Key lastMorningReport{"lastMorningReport",
                                                        std::optional<std::string>(),
                                                        &S::m_lastMorningReport,
                                                        nullptr};
    static inline const settings::Key welcomed{"welcomed", false, &S::m_welcomed, nullptr};
    static inline const settings::Key automaticallyChecksForUpdates{"automaticallyChecksForUpdates",
                                                                    true,
                                                                    &S::m_automaticallyChecksForUpdates,
                                                                    &S::automaticallyChecksForUpdatesChanged};
    static inline const settings::Key lastUpdateCheck{"lastUpdateCheck",
                                                      std::optional<Date>(),
                                                      &S::m_lastUpdateCheck,
                                                      nullptr};
    static inline const settings::Key panelTab{"popoverTab", PanelTab::pace, &S::m_panelTab, &S::panelTabChanged};
    static inline const settings::Key activityRange{"activityRange",
                                                    ActivityRange::day,
                                                    &S::m_activityRange,
                                                    &S::activityRangeChanged};
    static inline const settings::Key activityMeasure{"activityMeasure",
                                                      ActivityMeasure::all,
                                                      &S::m_activityMeasure,
                                                      &S::activityMeasureChanged};

    static inline const auto all = std::tie(claudeEnabled,
                                            openaiEnabled,
                                            refreshMinutes,
                                            trayStyle,
                                            trayIcon,
                                            gaugeWindow,
                                            morningReport,
                                            morningReportTime,
                                            alertPace,
                                            alertRunsOut,
                                            alertThreshold,
                                            alertRenewed,
                                            alertAccount,
                                            alertThresholdPercent,
                                            claudePath,
                                            codexPath,
                                            claudeFolder,
                                            codexFolder,
                                            configuredLoginItem,
                                            lastMorningReport,
                                            welcomed,
                                            automaticallyChecksForUpdates,
                                            lastUpdateCheck,
                                            panelTab,
                                            activityRange,
                                            activityMeasure);
};

}  // namespace ostrel
