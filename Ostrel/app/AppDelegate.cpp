#include "app/AppDelegate.h"

#include <cstdio>

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "base/ProgramPaths.h"
#include "base/QtText.h"
#include "drawing/ScreenRoom.h"
#include "drawing/Theme.h"
#include "model/AlertStateFile.h"
#include "panel/PanelView.h"
#include "panel/PanelWindow.h"
#include "posix/ShellWord.h"
#include "report/WelcomeNote.h"
#include "snapshots/PanelSnapshot.h"
#include "store/UsageReaders.h"

namespace ostrel {

AppDelegate::AppDelegate(std::vector<std::string> arguments, QObject* parent)
    : QObject(parent)
    , m_arguments(std::move(arguments))
    , m_options(LaunchOptions::parse(m_arguments))
    , m_settings(AppSettings::userFolder(), LoginItem::forCurrentUser())
{}

AppDelegate::~AppDelegate()
{
    // The store goes before the reporter: a report waiting on a reading sees that
    // wait end (cancelled, as the store ends its readings) while the reporter it
    // reports to still exists. The windows show the store, so they go first.
    m_settingsWindow.reset();
    m_previewWindow.reset();
    m_statusItem.reset();
    m_store.reset();
    m_updates.reset();
}

void AppDelegate::start()
{
    // 1. A picture export ends the run.
    if (handleExport()) {
        return;
    }
    // One Ostrel per session: a later launch hands its switches over and ends.
    // Demonstration runs stand apart.
    if (!m_options.isDemo && !claimSession()) {
        return;
    }

    // 2. First-launch defaults and the updater, in live non-preview runs.
    if (!m_options.isDemo && !m_options.preview) {
        m_settings.applyFirstLaunchDefaults();
        if (auto feed = UpdateController::builtInFeed()) {
            m_updates =
                std::make_unique<UpdateController>([feed = std::move(*feed)] { return ReleaseFeed::fetch(feed); },
                                                   OSTREL_VERSION,
                                                   m_settings);
        }
    }
    // 3. The store and the morning reporter.
    UsageStore& usage = store();
    createReporter(usage);
    connect(&usage, &UsageStore::readingsNotKept, m_notifier.get(), [notifier = m_notifier.get()](const QString& text) {
        (void)notifier->post(QStringLiteral("ostrel-readings-not-kept"), QStringLiteral("Ostrel"), text);
    });
    // 4. The tray items, now or as soon as a tray can show them.
    watchTray();
    // 5. store.start(); nothing happens in demonstration runs.
    usage.start();
    if (m_updates) {
        startUpdateChecksAfterFirstReadings(usage);
    }
    // 6. reporter.start(), outside demonstration runs; it follows the store's wake watch.
    if (!m_options.isDemo) {
        m_reporter->start();
        connect(&usage, &UsageStore::woke, m_reporter.get(), &MorningReporter::handleWake);
        connect(&m_settings,
                &AppSettings::morningReportTimeChanged,
                m_reporter.get(),
                &MorningReporter::handleTimeChange);
        startAlerts(usage);
    }
    // The first live launch says, once per user, where Ostrel went and what it will do.
    if (!m_options.isDemo && !m_options.preview) {
        WelcomeNote::postOnce(m_settings, *m_notifier);
    }
    // 7. The preview window ("--light" forces the light appearance).
    if (m_options.preview) {
        if (m_options.light) {
            QApplication::setPalette(Theme::palette(ColorScheme::light));
        }
        showPreviewWindow();
    }
    // 8. The settings window (it calls m_settings.syncLaunchAtLogin() each time it is shown).
    if (m_options.settings) {
        showSettings();
    }
}

bool AppDelegate::claimSession()
{
    m_instance = std::make_unique<SingleInstance>(QDBusConnection::sessionBus(),
                                                  qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString());
    QStringList switches;
    for (std::size_t index = 1; index < m_arguments.size(); ++index) {
        switches.append(QString::fromStdString(m_arguments[index]));
    }
    int exitCode = 0;
    switch (m_instance->claim(switches)) {
    case SingleInstance::Claim::first:
        connect(m_instance.get(), &SingleInstance::requested, this, &AppDelegate::openRequested);
        // `ostrel --status --refresh` reads through this run, so that one process writes the readings.
        m_instance->refresh = [this] {
            return store().refreshAndWait().then(this, [this] {
                return QString::fromStdString(store().saveProblem().value_or(std::string()));
            });
        };
        return true;
    case SingleInstance::Claim::handedOver:
        break;
    case SingleInstance::Claim::alreadyRunning:
        std::fputs("Ostrel is already running.\n", stderr);
        break;
    case SingleInstance::Claim::unanswered:
        std::fputs("Ostrel is already running but did not answer.\n", stderr);
        exitCode = 1;
        break;
    }
    // Quit once the event loop has control again, as a normal termination.
    QTimer::singleShot(0, QCoreApplication::instance(), [exitCode] { QCoreApplication::exit(exitCode); });
    return false;
}

void AppDelegate::watchTray()
{
    const bool embedding = QGuiApplication::platformName() == QStringLiteral("xcb");
    m_trayHost = std::make_unique<TrayHost>(QDBusConnection::sessionBus(), embedding);
    connect(m_trayHost.get(), &TrayHost::appeared, this, &AppDelegate::showTrayItems);
    connect(m_trayHost.get(), &TrayHost::missing, this, &AppDelegate::reportNoTray);
    m_trayHost->start();
}

void AppDelegate::showTrayItems()
{
    // Made only once a tray is there: Qt settles on how it talks to trays when
    // its first tray icon is made, and on Wayland a wrong guess is final.
    // Later the items follow a tray that goes and comes back by themselves.
    if (m_statusItem) {
        return;
    }
    m_statusItem = std::make_unique<StatusItemController>(store(), m_settings, wallClockNow, m_updates.get());
    m_statusItem->copyPicture = [this](const QString& fallbackText) {
        PanelSnapshot::copySnapshot(store(), m_settings, fallbackText);
    };
    m_statusItem->openSettings = [this] {
        showSettings();
    };
    m_statusItem->show();
}

void AppDelegate::reportNoTray()
{
    if (m_notifier) {
        (void)m_notifier->post(QStringLiteral("ostrel-no-tray"),
                               QStringLiteral("Ostrel"),
                               QString::fromUtf8(noTrayMessage));
    }
}

void AppDelegate::openRequested(const QStringList& switches)
{
    std::vector<std::string> arguments{m_arguments.empty() ? std::string("ostrel") : m_arguments.front()};
    for (const QString& argument : switches) {
        arguments.push_back(argument.toStdString());
    }
    // "--light" is not handed on: the running app keeps its appearance.
    const LaunchOptions asked = LaunchOptions::parse(arguments);
    if (asked.preview) {
        showPreviewWindow();
    }
    if (asked.settings) {
        showSettings();
    }
    if (asked.refresh) {
        store().refresh();
    }
    if (!asked.preview && !asked.settings && !asked.refresh) {
        openPanel();
    }
}

void AppDelegate::openPanel()
{
    if (!m_statusItem) {
        showPreviewWindow();
        return;
    }
    if (!m_statusItem->panel().isVisible()) {
        m_statusItem->togglePanel();
    }
}

UsageStore& AppDelegate::store()
{
    if (!m_store) {
        UsageStore::Options options;
        options.demo = m_options.isDemo;
        if (!options.demo) {
            const std::filesystem::path home = QDir::homePath().toStdString();
            const std::string xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME").toStdString();
            options.dataFolder = ReadingsFile::dataFolder(xdgDataHome, home.string());
            options.readers = UsageReaders::live(options.dataFolder);
        }
        m_store = std::make_unique<UsageStore>(m_settings, std::move(options));
    }
    return *m_store;
}

void AppDelegate::startUpdateChecksAfterFirstReadings(UsageStore& usage)
{
    if (usage.refreshing().empty()) {
        m_updates->startAutomaticChecks();
        return;
    }
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = connect(&usage, &UsageStore::changed, m_updates.get(), [this, &usage, connection] {
        if (usage.refreshing().empty()) {
            disconnect(*connection);
            m_updates->startAutomaticChecks();
        }
    });
}

void AppDelegate::createReporter(UsageStore& usage)
{
    m_notifier = std::make_unique<DesktopNotifier>();
    AppSettings& settings = m_settings;
    MorningReporter::Hooks hooks;
    hooks.refreshAndWait = [&usage] {
        return usage.refreshAndWait();
    };
    hooks.reportLines = [&usage](Date now) {
        return toQStringList(usage.reportLines(now));
    };
    hooks.enabled = [&settings] {
        return settings.morningReport();
    };
    hooks.reportTime = [&settings] {
        return settings.morningReportTime();
    };
    hooks.lastReportDay = [&settings] {
        return QString::fromStdString(settings.lastMorningReport().value_or(std::string()));
    };
    hooks.setLastReportDay = [&settings](const QString& day) {
        settings.setLastMorningReport(day.toStdString());
    };
    hooks.openPanel = [this] {
        openPanel();
    };
    m_reporter = std::make_unique<MorningReporter>(std::move(hooks), *m_notifier);
}

void AppDelegate::startAlerts(UsageStore& usage)
{
    const auto& folder = usage.dataFolder();
    const AppSettings& settings = m_settings;
    AlertNotifier::Hooks hooks{.displays = [&usage](Date now) {
        std::vector<ProviderDisplay> displays;
        for (const ToolAccount& account : usage.enabledAccounts()) {
            displays.push_back(usage.display(account.key(), now));
        }
        return displays;
    }};
    hooks.accountFolder = [&settings](const AccountKey& key) {
        return settings.account(key).value_or(ToolAccount{}).folder;
    };
    hooks.openPanel = [this] {
        openPanel();
    };
    hooks.tools = [&usage] {
        return usage.detectedTools();
    };
    hooks.threshold = [&settings] {
        return static_cast<double>(settings.alertThresholdPercent());
    };
    hooks.sends = [&settings](AlertTopic topic) {
        return settings.alertOn(topic);
    };
    m_alerts = std::make_unique<AlertNotifier>(std::move(hooks),
                                               folder ? std::optional{AlertStateFile::filePath(*folder)} : std::nullopt,
                                               *m_notifier);
    m_alerts->start();
    connect(&usage, &UsageStore::changed, m_alerts.get(), &AlertNotifier::check);
    connect(&usage, &UsageStore::woke, m_alerts.get(), &AlertNotifier::handleWake);
}

void AppDelegate::showSettings()
{
    m_settings.syncLaunchAtLogin();
    if (!m_settingsWindow) {
        SettingsView::Hooks hooks;
        // The window is the delegate's and goes before it, so `this` outlives every click.
        hooks.sendTestReport = [this] {
            sendTestReport();
        };
        // The installed command by its full path: Claude Code's PATH need not hold it.
        hooks.statusLineCommand = posix::shellWord(ProgramPaths::command().native()) + " --statusline";
        if (UpdateController* updates = m_updates.get()) {
            AppSettings& settings = m_settings;
            hooks.updates = UpdateControls{
                .automaticChecks = [&settings] { return settings.automaticallyChecksForUpdates(); },
                .setAutomaticChecks = [&settings](bool on) { settings.setAutomaticallyChecksForUpdates(on); },
                .version = qText(UpdateController::versionText()),
                .checkNow = [updates] { updates->showCheckDialog(); },
            };
        }
        m_settingsWindow = std::make_unique<SettingsWindow>(m_settings, store(), std::move(hooks));
    }
    m_settingsWindow->present();
    Q_EMIT settingsRequested();
}

void AppDelegate::sendTestReport()
{
    if (m_reporter) {
        (void)m_reporter->send(QString::fromLatin1(MorningReporter::testTitle));
    }
}

void AppDelegate::showPreviewWindow()
{
    PanelActions actions;
    actions.openSettings = [this] {
        showSettings();
    };
    actions.quit = [] {
        QCoreApplication::quit();
    };
    auto window = std::make_unique<QWidget>();
    window->setWindowTitle(QStringLiteral("Ostrel Preview"));
    window->setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    auto* view = new PanelView(store(), m_settings, std::move(actions), PanelView::Options{});
    layout->addWidget(view);
    view->setHeightLimit(ScreenRoom::titledWindowHeight(nullptr));
    view->reevaluate();
    window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window->move(screen->availableGeometry().center() - window->rect().center());
    }
    window->show();
    window->raise();
    window->activateWindow();
    m_previewWindow = std::move(window);
}

bool AppDelegate::handleExport()
{
    if (!m_options.exportFolder) {
        return false;
    }
    const auto written = PanelSnapshot::exportAll(store(), m_settings, *m_options.exportFolder);
    int status = 0;
    if (written) {
        for (const std::filesystem::path& path : *written) {
            std::printf("%s\n", path.c_str());
        }
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "Export failed: %s\n", written.error().description().c_str());
        // Scripts tell a failed export from a complete one by the exit status.
        status = 1;
    }
    // Quit once the event loop has control again, as a normal termination.
    QTimer::singleShot(0, QCoreApplication::instance(), [status] { QCoreApplication::exit(status); });
    return true;
}

}  // namespace ostrel
