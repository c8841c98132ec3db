// The tray application, started by the `ostrel` command: a Qt process with no
// main window and no taskbar entry, which closing a window never quits;
// SIGTERM, SIGINT and SIGHUP quit it normally.

#include <string>
#include <vector>

#include <QApplication>
#include <QTimer>

#include "app/AppDelegate.h"
#include "app/QuitSignals.h"
#include "drawing/AppIcon.h"

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv, argv + argc);
    // Before QApplication starts any thread.
    ostrel::QuitSignals::block();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ostrel"));
    QApplication::setOrganizationName(QStringLiteral("Ostrel"));
    QApplication::setApplicationVersion(QStringLiteral(OSTREL_VERSION));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ostrel::AppIcon::icon());

    const ostrel::QuitSignals quitSignals;
    // Destroyed before the application object: the store ends its readings and joins its workers.
    ostrel::AppDelegate delegate(std::move(arguments));
    QTimer::singleShot(0, &delegate, &ostrel::AppDelegate::applicationDidFinishLaunching);
    return QApplication::exec();
}
