// The `ostrel` command. Help, the version and the text outputs for bars,
// terminals and Claude Code's status line are answered here, as a plain core
// process that needs no display and no desktop bus and loads no graphical or
// network library; everything else (the tray, and --refresh, which reads the
// providers or asks the running app to over the session bus) replaces this
// process with the application, so the process a desktop or a script started
// is the one that does the work.

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <QCoreApplication>

#include "app/CommandLine.h"
#include "app/LaunchOptions.h"
#include "app/StatusLine.h"
#include "app/StatusOutput.h"
#include "base/ProgramPaths.h"
#include "platform/QuitSignals.h"

namespace {

/// Exit status when the tray application cannot be started, as a shell reports a missing command.
constexpr int appMissing = 127;

int startApp(char** argv)
{
    const std::optional<std::filesystem::path> command = ostrel::ProgramPaths::self();
    const std::optional<std::filesystem::path> app = command ? ostrel::ProgramPaths::appFor(*command) : std::nullopt;
    if (!app) {
        std::fprintf(stderr,
                     "ostrel: cannot find %s beside %s\n",
                     ostrel::ProgramPaths::appName.data(),
                     command ? command->c_str() : "this command");
        return appMissing;
    }
    ::execv(app->c_str(), argv);
    std::fprintf(stderr,
                 "ostrel: cannot start %s: %s\n",
                 app->c_str(),
                 std::strerror(errno));  // NOLINT(concurrency-mt-unsafe)
    return appMissing;
}

}  // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv, argv + argc);
    if (ostrel::CommandLine::asksForHelp(arguments)) {
        std::fputs(ostrel::CommandLine::usage().c_str(), stdout);
        return 0;
    }
    if (const auto unknown = ostrel::CommandLine::unknownOption(arguments)) {
        std::fputs(ostrel::CommandLine::unknownOptionMessage(*unknown).c_str(), stderr);
        return ostrel::CommandLine::usageError;
    }
    for (const std::string_view argument : arguments) {
        if (argument == "--version") {
            std::printf("ostrel %s\n", OSTREL_VERSION);
            return 0;
        }
    }

    const auto options = ostrel::LaunchOptions::parse(arguments);
    // --refresh reads the providers or asks the running app to, which only the application can.
    if (!options.statusLine && (!options.status || options.refresh)) {
        // Only the tray and its windows need a display; --refresh works without one.
        if (!options.status && !options.refresh
            && !ostrel::CommandLine::hasGraphicalSession(arguments,
                                                         ostrel::CommandLine::SessionEnvironment::current())) {
            std::fputs(ostrel::CommandLine::noGraphicalSessionMessage().c_str(), stderr);
            return 1;
        }
        return startApp(argv);
    }
    // Read first: with standard input closed, the next file opened would take its place.
    const std::string statusLineInput = options.statusLine ? ostrel::StatusLine::readInput(0) : std::string{};
    // Before anything starts a thread, so --watch can take the quit signals as
    // events; any other output is quick, and a quit signal simply ends it.
    if (options.watch) {
        ostrel::QuitSignals::block();
    }
    // Only for the program's own path and name; no event loop runs.
    const QCoreApplication core(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ostrel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Ostrel"));
    if (options.statusLine) {
        return ostrel::StatusLine::run(statusLineInput, ostrel::StatusOutput::forCurrentUser(), ostrel::wallClockNow);
    }
    return ostrel::StatusOutput::run(options, ostrel::StatusOutput::forCurrentUser(), ostrel::wallClockNow);
}
