#pragma once
// The application delegate: owns the long-lived objects of one run and
// creates them in the fixed launch order.

#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QStringList>
#include <QWidget>

#include "app/LaunchOptions.h"
#include "platform/DesktopNotifier.h"
#include "platform/SingleInstance.h"
#include "platform/TrayHost.h"
#include "preferences/SettingsWindow.h"
#include "report/AlertNotifier.h"
#include "report/MorningReporter.h"
#include "settings/AppSettings.h"
#include "store/UsageStore.h"
#include "tray/StatusItemController.h"
#include "updates/UpdateController.h"

namespace ostrel {

class AppDelegate : public QObject
{
    Q_OBJECT

public:
    explicit AppDelegate(std::vector<std::string> arguments, QObject* parent = nullptr);
    ~AppDelegate() override;

    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    /// Runs the launch sequence once the event loop is running.
    void start();

    [[nodiscard]] const LaunchOptions& options() const
    {
        return m_options;
    }

    [[nodiscard]] AppSettings& settings()
    {
        return m_settings;
    }

    /// The one store of the run, made on first use (demonstration data in demonstration runs).
    [[nodiscard]] UsageStore& store();

    /// The settings window, made on first use and shown again after that; each
    /// time it takes over a login item changed outside Ostrel.
    void showSettings();
    /// The settings window's "send a test report": ignores the switch and the last-sent day.
    void sendTestReport();
    /// A window showing the panel, made afresh each time ("--preview").
    void showPreviewWindow();

    [[nodiscard]] QWidget* previewWindow() const
    {
        return m_previewWindow.get();
    }

    /// The updater: absent in demonstration, preview and export runs, and in
    /// builds that name no release feed.
    [[nodiscard]] UpdateController* updates() const
    {
        return m_updates.get();
    }

    [[nodiscard]] SettingsWindow* settingsWindow() const
    {
        return m_settingsWindow.get();
    }

    [[nodiscard]] StatusItemController* statusItem() const
    {
        return m_statusItem.get();
    }

    /// What a later launch asked for with `switches` (its arguments after the
    /// program path): the preview, the settings window, a refresh, or else the panel.
    void openRequested(const QStringList& switches);

    /// The text of the notification shown when no tray can show the items.
    static constexpr const char* noTrayMessage =
        "No system tray found. Ostrel keeps reading in the background; open it with `ostrel --preview`, "
        "or enable your desktop's tray (on GNOME: the AppIndicator extension).";

    /// Makes the tray items, once; the tray watch calls it when a tray can show them.
    void showTrayItems();

Q_SIGNALS:
    /// The settings window was shown ("--settings", a menu, a later launch).
    void settingsRequested();

private:
    /// Makes this run the session's one Ostrel; false when another one runs and this run ends.
    bool claimSession();
    /// Shows the tray items as soon as a tray can show them, and says so when none can.
    void watchTray();
    void reportNoTray();
    /// The panel by its tray item, or in a window when there is no tray; also
    /// what a click on an alert or the morning report opens.
    void openPanel();
    void createReporter(UsageStore& usage);
    /// The alerts, in live runs only: demonstration data sends none.
    void startAlerts(UsageStore& usage);
    /// Lets the updater check on its own once the first readings are done.
    void startUpdateChecksAfterFirstReadings(UsageStore& usage);
    /// Writes the picture set and quits (status 0 when complete, 1 after a failure); true when the run was an export.
    bool handleExport();

    std::vector<std::string> m_arguments;
    LaunchOptions m_options;
    AppSettings m_settings;
    std::unique_ptr<UpdateController> m_updates;
    std::unique_ptr<UsageStore> m_store;
    std::unique_ptr<StatusItemController> m_statusItem;
    // The reporter's hooks refer to the store and the settings, so it goes before them.
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<MorningReporter> m_reporter;
    std::unique_ptr<AlertNotifier> m_alerts;
    std::unique_ptr<QWidget> m_previewWindow;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<TrayHost> m_trayHost;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
};

}  // namespace ostrel
