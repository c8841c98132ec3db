#pragma once
// The settings window's form: eight sections in a fixed order (providers,
// refresh, menu bar, daily report, alerts, general, updates, command-line tools), each
// a header, a box of rows and a footer. Every control writes its setting the
// moment it is used, and follows the settings and the store when they change.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QStringList>
#include <QWidget>

#include "base/WallClock.h"
#include "model/Provider.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QVBoxLayout;

namespace ostrel {

class AppSettings;
class TrayLabel;
class PathField;
class StatusLineRow;
class ProviderToggleRow;
class UsageStore;

/// What the "Updates" section drives; the section is shown only when an updater provides it.
struct UpdateControls
{
    std::function<bool()> automaticChecks;
    std::function<void(bool)> setAutomaticChecks;
    /// The program's version and build: "0.1.0 (3f2a9c1d0b4e)".
    QString version;
    std::function<void()> checkNow;
};

class SettingsView : public QWidget
{
    Q_OBJECT

public:
    struct Hooks
    {
        std::function<void()> sendTestReport = [] {
        };
        /// Absent while there is no updater: the section is left out.
        std::optional<UpdateControls> updates;
        Clock clock = wallClockNow;
        /// The folder shown as "~" in the detected paths; empty for the user's home.
        std::string home;
        /// The command line Claude Code's status line is to run.
        std::string statusLineCommand = "ostrel --statusline";
    };

    static constexpr int formWidth = 460;

    SettingsView(AppSettings& settings, UsageStore& store, Hooks hooks, QWidget* parent = nullptr);

    /// The section headers, in order.
    [[nodiscard]] const QStringList& sections() const
    {
        return m_sections;
    }

    [[nodiscard]] TrayLabel* preview() const
    {
        return m_preview;
    }

    /// Shows every control's value from the settings and the store again.
    void refresh();

private:
    QVBoxLayout* addSection(const QString& header, const QString& footer);
    /// A box of rows, and its footer when there is one, at the end of the form.
    QVBoxLayout* addBox(const QString& footer);
    void addProviders();
    void addRefresh();
    void addTraySection();
    void addDailyReport();
    void addAlerts();
    void addGeneral();
    void addUpdates(const UpdateControls& updates);
    void addTools();
    void refreshDetectedTools();
    /// Puts "Stacked" first among the styles while more than two tray items would show.
    void orderStyles();

    AppSettings& m_settings;
    UsageStore& m_store;
    Hooks m_hooks;
    QVBoxLayout* m_form = nullptr;
    QStringList m_sections;
    QComboBox* m_interval = nullptr;
    QComboBox* m_style = nullptr;
    QComboBox* m_trayIcon = nullptr;
    QComboBox* m_gauge = nullptr;
    TrayLabel* m_preview = nullptr;
    QCheckBox* m_morning = nullptr;
    /// Half hours; a hand-edited other time shows none selected.
    QComboBox* m_reportTime = nullptr;
    /// One per alert topic, in the order of its cases.
    std::vector<QCheckBox*> m_alertSwitches;
    QComboBox* m_threshold = nullptr;
    QCheckBox* m_login = nullptr;
    QLabel* m_loginError = nullptr;
    QCheckBox* m_automaticUpdates = nullptr;
    PathField* m_claudePath = nullptr;
    PathField* m_codexPath = nullptr;
    PathField* m_claudeFolder = nullptr;
    PathField* m_codexFolder = nullptr;
    StatusLineRow* m_statusLine = nullptr;
};

}  // namespace ostrel
