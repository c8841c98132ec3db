#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <cstdlib>

namespace ostrel::CommandLine {
namespace {

struct Option
{
    std::string_view name;
    bool takesValue = false;
};

constexpr auto ownOptions = std::to_array<Option>({
    {"--demo"},
    {"--preview"},
    {"--light"},
    {"--settings"},
    {"--export-snapshots", true},
    {"--status"},
    {"--format", true},
    {"--watch"},
    {"--refresh"},
    {"--statusline"},
    {"--version"},
    {"--help"},
    {"-h"},
});

// The options QApplication and its X11 platform take out of the arguments
// themselves, written with one dash; Qt accepts each with two dashes as well.
constexpr auto qtOptions = std::to_array<Option>({
    {"-platform", true},
    {"-platformpluginpath", true},
    {"-platformtheme", true},
    {"-plugin", true},
    {"-qwindowgeometry", true},
    {"-qwindowicon", true},
    {"-qwindowtitle", true},
    {"-session", true},
    {"-display", true},
    {"-geometry", true},
    {"-name", true},
    {"-style", true},
    {"-stylesheet", true},
    {"-reverse"},
    {"-widgetcount"},
    {"-nograb"},
    {"-dograb"},
    {"-sync"},
    {"-testability"},
});

// Qt options that carry their value after "=" in the same argument.
constexpr auto qtValuePrefixes = std::to_array<std::string_view>({
    "-style=",
    "-stylesheet=",
    "-qmljsdebugger=",
    "-dialogs=",
    "-fontengine=",
});

[[nodiscard]] std::optional<Option> ownOption(std::string_view argument)
{
    // "--format=json" carries its value in the same argument.
    if (argument.starts_with("--format=")) {
        return Option{argument, false};
    }
    const auto* const found = std::ranges::find(ownOptions, argument, &Option::name);
    return found == ownOptions.end() ? std::nullopt : std::optional(*found);
}

[[nodiscard]] std::optional<Option> qtOption(std::string_view argument)
{
    if (argument.starts_with("--")) {
        argument.remove_prefix(1);
    }
    if (std::ranges::any_of(qtValuePrefixes,
                            [argument](std::string_view prefix) { return argument.starts_with(prefix); })) {
        return Option{argument, false};
    }
    const auto* const found = std::ranges::find(qtOptions, argument, &Option::name);
    return found == qtOptions.end() ? std::nullopt : std::optional(*found);
}

}  // namespace

std::string usage()
{
    return "Usage: ostrel [option...]\n"
           "Shows how much of the weekly allowance of claude and codex is used, in the tray.\n"
           "\n"
           "  --demo                     demonstration data instead of live readings\n"
           "  --preview                  also open the panel in a window of its own\n"
           "  --light                    with --preview: the light palette\n"
           "  --settings                 open the settings window\n"
           "  --export-snapshots FOLDER  write pictures of the panel into FOLDER and quit\n"
           "  --status                   print the readings and quit, without a display\n"
           "  --format FORM              with --status: text, line, waybar, i3blocks, polybar or json\n"
           "  --watch                    with --status: print again whenever the readings change\n"
           "  --refresh                  have the running Ostrel read the providers now, without\n"
           "                             a display; with --status: read them first (through the\n"
           "                             running Ostrel when there is one) and print them\n"
           "  --statusline               one line for Claude Code's status line, which passes\n"
           "                             its session's state on standard input\n"
           "  --version                  print the version and quit\n"
           "  -h, --help                 print this text and quit\n";
}

bool asksForHelp(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2) {
        return false;
    }
    return std::any_of(arguments.begin() + 1, arguments.end(), [](std::string_view argument) {
        return argument == "--help" || argument == "-h";
    });
}

std::optional<std::string> unknownOption(const std::vector<std::string>& arguments)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!argument.starts_with('-') || argument == "-") {
            continue;
        }
        std::optional<Option> option = ownOption(argument);
        if (!option) {
            option = qtOption(argument);
        }
        if (!option) {
            return arguments[i];
        }
        if (option->takesValue) {
            ++i;
        }
    }
    return std::nullopt;
}

std::string unknownOptionMessage(std::string_view option)
{
    return "ostrel: unknown option " + std::string(option) + "\n" + usage();
}

SessionEnvironment SessionEnvironment::current()
{
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): read before any thread starts
        return std::string(value != nullptr ? value : "");
    };
    return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
}

bool hasGraphicalSession(const std::vector<std::string>& arguments, const SessionEnvironment& environment)
{
    if (!environment.display.empty() || !environment.waylandDisplay.empty() || !environment.qtPlatform.empty()) {
        return true;
    }
    return std::ranges::any_of(arguments, [](std::string_view argument) {
        if (argument.starts_with("--")) {
            argument.remove_prefix(1);
        }
        return argument == "-platform" || argument == "-display";
    });
}

std::string noGraphicalSessionMessage()
{
    return "ostrel: no graphical session here (neither DISPLAY nor WAYLAND_DISPLAY is set); "
           "for the readings in a terminal, use ostrel --status\n";
}

}  // namespace ostrel::CommandLine
