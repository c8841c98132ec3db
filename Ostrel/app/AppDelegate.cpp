#include "app/AppDelegate.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "drawing/Theme.h"
#include "panel/PopoverView.h"
#include "store/QtText.h"
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
}

void AppDelegate::applicationDidFinishLaunching()
{
    // 1. A picture export ends the run.
    if (handleExport()) {
        return;
    }

    // 2. First-launch defaults and the updater, in live non-preview runs.
    if (!m_options.isDemo && !m_options.preview) {
        m_settings.applyFirstLaunchDefaults();
    }
    // 3. The store and the morning reporter.
    UsageStore& usage = store();
    createReporter(usage);
    // 4. The tray item.
    m_statusItem = std::make_unique<StatusItemController>(usage, m_settings);
    m_statusItem->openSettings = [this] {
        showSettings();
    };
    m_statusItem->show();
    // 5. store.start(); nothing happens in demonstration runs.
    usage.start();
    // 6. reporter.start(), outside demonstration runs; it follows the store's wake watch.
    if (!m_options.isDemo) {
        m_reporter->start();
        connect(&usage, &UsageStore::woke, m_reporter.get(), &MorningReporter::handleWake);
    }
    // 7. The preview window ("--light" forces the light appearance).
    if (m_options.preview) {
        if (m_options.light) {
            QApplication::setPalette(Theme::palette(ColorScheme::light));
        }
        showPreviewWindow();
    }
    // 8. The settings window.
    if (m_options.settings) {
        showSettings();
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
            options.readers = UsageReaders::live(home, options.dataFolder);
        }
        m_store = std::make_unique<UsageStore>(m_settings, std::move(options));
    }
    return *m_store;
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
    hooks.lastReportDay = [&settings] {
        return QString::fromStdString(settings.lastMorningReport().value_or(std::string()));
    };
    hooks.setLastReportDay = [&settings](const QString& day) {
        settings.setLastMorningReport(day.toStdString());
    };
    m_reporter = std::make_unique<MorningReporter>(std::move(hooks), *m_notifier);
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
        m_settingsWindow = std::make_unique<SettingsWindow>(m_settings, store(), std::move(hooks));
    }
    m_settingsWindow->present();
}

void AppDelegate::sendTestReport()
{
    if (m_reporter) {
        (void)m_reporter->send(QString::fromLatin1(MorningReporter::testTitle));
    }
}

void AppDelegate::showPreviewWindow()
{
    PopoverActions actions;
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
    layout->addWidget(new PopoverView(store(), m_settings, std::move(actions), PopoverView::Options{}));
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
    // The picture set needs the panel views; until they are part of the build
    // the export says so instead of pretending to have written anything.
    std::fputs("Export failed: picture export is not part of this build\n", stderr);
    // Quit once the event loop has control again, as a normal termination.
    QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
    return true;
}

}  // namespace ostrel
