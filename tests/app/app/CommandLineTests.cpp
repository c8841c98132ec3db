#include "app/CommandLine.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

struct UnknownCase
{
    std::string_view name;
    std::vector<std::string> arguments;
    std::optional<std::string> unknown;
};

TEST(CommandLine, RefusesOnlyOptionsThatAreNeitherOstrelsNorQts)
{
    // clang-format off
    const auto cases = std::to_array<UnknownCase>({
        {"a misspelt switch", {"ostrel", "--demo", "--preveiw"}, "--preveiw"},
        {"the first unknown: a switch with a value glued on", {"ostrel", "--demo=1", "-x"}, "--demo=1"},
        {"the export folder may start with a dash", {"ostrel", "--export-snapshots", "-pictures"}, std::nullopt},
        {"the form after --format is its value", {"ostrel", "--status", "--format", "-json"}, std::nullopt},
        {"a Qt value is skipped even when it looks like an option", {"ostrel", "-session", "-x"}, std::nullopt},
        {"a Qt option's name with a different tail", {"ostrel", "-platforms"}, "-platforms"},
    });
    // clang-format on
    for (const UnknownCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandLine::unknownOption(c.arguments), c.unknown);
    }
}

struct HelpCase
{
    std::string_view name;
    std::vector<std::string> arguments;
    bool help;
};

TEST(CommandLine, AsksForHelpWithEitherSpellingAnywhereAfterTheProgram)
{
    const auto cases = std::to_array<HelpCase>({
        {"-h after other switches", {"ostrel", "--demo", "-h"}, true},
        {"a program path that looks like the switch", {"--help"}, false},
    });
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandLine::asksForHelp(c.arguments), c.help);
    }
}

struct SessionCase
{
    std::string_view name;
    std::vector<std::string> arguments;
    CommandLine::SessionEnvironment environment;
    bool graphical;
};

TEST(CommandLine, FindsAGraphicalSessionInTheEnvironmentOrAnExplicitPlatform)
{
    // clang-format off
    const auto cases = std::to_array<SessionCase>({
        {"a console or ssh: nothing set", {"ostrel"}, {}, false},
        {"the status switch alone does not make one", {"ostrel", "--status"}, {}, false},
        {"an X display", {"ostrel"}, {":0", "", ""}, true},
        {"a Wayland compositor", {"ostrel"}, {"", "wayland-0", ""}, true},
        {"a Qt platform chosen in the environment", {"ostrel"}, {"", "", "offscreen"}, true},
        {"a Qt platform chosen on the command line", {"ostrel", "--platform", "offscreen"}, {}, true},
    });
    // clang-format on
    for (const SessionCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandLine::hasGraphicalSession(c.arguments, c.environment), c.graphical);
    }
    EXPECT_EQ(CommandLine::noGraphicalSessionMessage(),
              "ostrel: no graphical session here (neither DISPLAY nor WAYLAND_DISPLAY is set); "
              "for the readings in a terminal, use ostrel --status\n");
}

}  // namespace
}  // namespace ostrel
