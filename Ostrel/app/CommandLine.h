#pragma once
// What the command line may hold before anything starts: the usage text, and
// the first argument that is an option of neither Ostrel nor Qt. Pure: the
// checks run before the application object exists, so that "--help" and a
// mistyped option answer without a display.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::CommandLine {

/// The exit status of a run refused for an unknown option.
inline constexpr int usageError = 2;

/// One line per switch, ending in a line feed.
[[nodiscard]] std::string usage();

/// "--help" or "-h" anywhere after the program path.
[[nodiscard]] bool asksForHelp(const std::vector<std::string>& arguments);

/// The first argument after the program path that starts with "-" and is
/// neither one of Ostrel's switches nor one of Qt's own options; values that
/// follow a switch taking one are skipped, whatever they look like.
[[nodiscard]] std::optional<std::string> unknownOption(const std::vector<std::string>& arguments);

/// "ostrel: unknown option <option>" and the usage, as written to standard error.
[[nodiscard]] std::string unknownOptionMessage(std::string_view option);

/// The environment that says where windows would go.
struct SessionEnvironment
{
    std::string display;         ///< DISPLAY
    std::string waylandDisplay;  ///< WAYLAND_DISPLAY
    std::string qtPlatform;      ///< QT_QPA_PLATFORM

    [[nodiscard]] static SessionEnvironment current();
};

/// Whether the tray application has somewhere to show itself: an X display or
/// a Wayland compositor named in the environment, or a Qt platform chosen
/// explicitly (QT_QPA_PLATFORM, "-platform", "-display"). Without one, Qt
/// would abort with a hint about reinstalling.
[[nodiscard]] bool hasGraphicalSession(const std::vector<std::string>& arguments,
                                       const SessionEnvironment& environment);

/// The one line written when there is none, with what to use instead.
[[nodiscard]] std::string noGraphicalSessionMessage();

}  // namespace ostrel::CommandLine
