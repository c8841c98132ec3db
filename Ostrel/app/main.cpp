// Program entry: a tray-only Qt process. No main window, no taskbar entry,
// and closing a window never quits it; SIGTERM, SIGINT and SIGHUP quit it
// normally. "--status" instead prints the state as a plain core process that
// needs no display and no desktop bus.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>

#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/LaunchOptions.h"
#include "app/QuitSignals.h"
#include "app/StatusOutput.h"
#include "drawing/AppIcon.h"

int main(int argc, char* argv[])
{
    std::vector<std::string> arguments(argv, argv + argc);
    // Answered before any display is needed, so they work from a plain terminal.
    if (ostrel::CommandLine::asksForHelp(arguments)) {
        std::fputs(ostrel::CommandLine::usage().c_str(), stdout);
        return 0;
    }
    if (const auto unknown = ostrel::CommandLine::unknownOption(arguments)) {
        std::fputs(ostrel::CommandLine::unknownOptionMessage(*unknown).c_str(), stderr);
        return ostrel::CommandLine::usageError;
    }
    for (std::string_view argument : arguments) {
        if (argument == "--version") {
            std::printf("ostrel %s\n", OSTREL_VERSION);
            return 0;
        }
    }

    // Before QApplication starts any thread.
    ostrel::QuitSignals::block();

    if (const auto options = ostrel::LaunchOptions::parse(arguments); options.status) {
        // Only for the program's own path and name; no event loop runs.
        const QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("Ostrel"));
        QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
        return ostrel::StatusOutput::run(options, ostrel::StatusOutput::forCurrentUser(), ostrel::wallClockNow);
    }
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
