#pragma once
// The application delegate: owns the long-lived objects of one run and
// creates them in the fixed launch order.

#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QWidget>

#include "app/LaunchOptions.h"
#include "report/DesktopNotifier.h"
#include "report/MorningReporter.h"
#include "settings/AppSettings.h"
#include "settings/SettingsWindow.h"
#include "store/UsageStore.h"
#include "tray/StatusItemController.h"

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
    void applicationDidFinishLaunching();

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

    [[nodiscard]] SettingsWindow* settingsWindow() const
    {
        return m_settingsWindow.get();
    }

    [[nodiscard]] StatusItemController* statusItem() const
    {
        return m_statusItem.get();
    }

private:
    void createReporter(UsageStore& usage);
    /// Writes the picture set and quits; true when the run was an export.
    bool handleExport();

    std::vector<std::string> m_arguments;
    LaunchOptions m_options;
    AppSettings m_settings;
    std::unique_ptr<UsageStore> m_store;
    std::unique_ptr<StatusItemController> m_statusItem;
    // The reporter's hooks refer to the store and the settings, so it goes before them.
    std::unique_ptr<DesktopNotifier> m_notifier;
    std::unique_ptr<MorningReporter> m_reporter;
    std::unique_ptr<QWidget> m_previewWindow;
    std::unique_ptr<SettingsWindow> m_settingsWindow;
};

}  // namespace ostrel
