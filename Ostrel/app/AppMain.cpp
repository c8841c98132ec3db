// The tray application, started by the `ostrel` command: a Qt process with no
// main window and no taskbar entry, which closing a window never quits;
// SIGTERM, SIGINT and SIGHUP quit it normally. It also answers
// `ostrel --status --refresh`, as a core process, since it has the readers.

#include <string>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "app/AppDelegate.h"
#include "app/LaunchOptions.h"
#include "app/StatusOutput.h"
#include "drawing/AppIcon.h"
#include "platform/QuitSignals.h"
#include "store/UsageReaders.h"

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv, argv + argc);
    // Before QApplication starts any thread.
    ostrel::QuitSignals::block();

    if (const auto options = ostrel::LaunchOptions::parse(arguments); options.status) {
        const QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Ostrel"));
        QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
        const auto places = ostrel::StatusOutput::forCurrentUser();
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
