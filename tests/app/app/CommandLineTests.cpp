#include "app/CommandLine.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(CommandLine, ReadsUnknownOptionsAskingForHelpAndAGraphicalSession)
{
    struct Case
    {
        std::string_view name;
        std::vector<std::string> arguments;
        std::optional<std::string> unknown;
        bool help;
        CommandLine::SessionEnvironment environment;
        bool graphical;
    };

    // clang-format off
    const auto cases = std::to_array<Case>({
        {"a misspelt switch", {"ostrel", "--demo", "--preveiw"}, "--preveiw", false, {}, false},
        {"the first unknown: a switch with a value glued on", {"ostrel", "--demo=1", "-x"}, "--demo=1", false, {},
         false},
        {"the export folder may start with a dash", {"ostrel", "--export-snapshots", "-pictures"}, {}, false, {},
         false},
        {"the form after --format is its value; the status switch makes no session",
         {"ostrel", "--status", "--format", "-json"}, {}, false, {}, false},
        {"a Qt value is skipped even when it looks like an option", {"ostrel", "-session", "-x"}, {}, false, {}, false},
        {"a Qt option's name with a different tail", {"ostrel", "-platforms"}, "-platforms", false, {}, false},
        {"-h after other switches", {"ostrel", "--demo", "-h"}, {}, true, {}, false},
        {"a program path that looks like the switch", {"--help"}, {}, false, {}, false},
        {"an X display", {"ostrel"}, {}, false, {":0", "", ""}, true},
        {"a Wayland compositor", {"ostrel"}, {}, false, {"", "wayland-0", ""}, true},
        {"a Qt platform chosen in the environment", {"ostrel"}, {}, false, {"", "", "offscreen"}, true},
        {"a Qt platform chosen on the command line", {"ostrel", "--platform", "offscreen"}, {}, false, {}, true},
    });
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandLine::unknownOption(c.arguments), c.unknown);
        EXPECT_EQ(CommandLine::asksForHelp(c.arguments), c.help);
        EXPECT_EQ(CommandLine::hasGraphicalSession(c.arguments, c.environment), c.graphical);
    }
    EXPECT_EQ(CommandLine::noGraphicalSessionMessage(),
              "ostrel: no graphical session here (neither DISPLAY nor WAYLAND_DISPLAY is set); "
              "for the readings in a terminal, use ostrel --status\n");
}

}  // namespace
}  // namespace ostrel
