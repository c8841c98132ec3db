// The tray application, started by the `ostrel` command: a Qt process with no
// main window and no taskbar entry, which closing a window never quits;
// SIGTERM, SIGINT and SIGHUP quit it normally. It also answers `--refresh`
// as a core process, since it has the readers and the bus: it hands the
// refresh to the running app, and `--status --refresh` reads the providers
// itself when no app runs.

#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

#include "app/AppDelegate.h"
#include "app/LaunchOptions.h"
#include "app/RefreshHandOver.h"
#include "app/StatusOutput.h"
#include "drawing/AppIcon.h"
#include "platform/QuitSignals.h"
#include "store/UsageReaders.h"

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv, argv + argc);
    // Before QApplication starts any thread.
    ostrel::QuitSignals::block();

    if (const auto options = ostrel::LaunchOptions::parse(arguments); options.status || options.refresh) {
        const QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Ostrel"));
        QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
        const QDBusConnection bus = QDBusConnection::sessionBus();
        if (!options.status) {
            QStringList switches = QCoreApplication::arguments();
            switches.removeFirst();
            return ostrel::RefreshHandOver::request(bus, switches);
        }
        const auto places = ostrel::StatusOutput::forCurrentUser();
        // With --watch, --refresh does nothing; otherwise the running app reads, when there is one.
        if (options.refresh && !options.watch) {
            if (const auto printed =
                    ostrel::RefreshHandOver::printThroughApp(bus, options, places, ostrel::wallClockNow)) {
                return *printed;
            }
        }
        const auto readers = ostrel::UsageReaders::live(places.dataFolder);
        return ostrel::StatusOutput::run(options, places, ostrel::wallClockNow, readers.read);
    }

    // Not const: the application runs and changes through its static functions (an object defined const must not).
    QApplication app(argc, argv);  // NOLINT(misc-const-correctness)
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ostrel::AppIcon::icon());

    const ostrel::QuitSignals quitSignals;
    // Destroyed before the application object: the store ends its readings and joins its workers.
    ostrel::AppDelegate delegate(std::move(arguments));  // NOLINT(misc-const-correctness): started by the event loop
    QTimer::singleShot(0, &delegate, &ostrel::AppDelegate::start);
    return QApplication::exec();
}
