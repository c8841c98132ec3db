#include "app/CommandLine.h"

#include <array>
#include <optional>
#include <sstream>
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
        {"a bare run", {"ostrel"}, std::nullopt},
        {"every switch of Ostrel",
         {"ostrel", "--demo", "--preview", "--light", "--settings", "--status", "--watch", "--refresh", "--version"},
         std::nullopt},
        {"a misspelt switch", {"ostrel", "--demo", "--preveiw"}, "--preveiw"},
        {"the first unknown: a switch with a value glued on", {"ostrel", "--demo=1", "-x"}, "--demo=1"},
        {"the export folder may start with a dash", {"ostrel", "--export-snapshots", "-pictures"}, std::nullopt},
        {"the form after --format is its value", {"ostrel", "--status", "--format", "-json"}, std::nullopt},
        {"the form may follow --format= in one argument", {"ostrel", "--status", "--format=line"}, std::nullopt},
        {"Qt's options with one or two dashes, a value or '='",
         {"ostrel", "-platform", "offscreen", "--style", "Fusion", "-reverse", "-qmljsdebugger=port:1"}, std::nullopt},
        {"a Qt value is skipped even when it looks like an option", {"ostrel", "-session", "-x"}, std::nullopt},
        {"plain words and a lone dash are no options", {"ostrel", "pictures", "-"}, std::nullopt},
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
        {"--help", {"ostrel", "--help"}, true},
        {"-h after other switches", {"ostrel", "--demo", "-h"}, true},
        {"a program path that looks like the switch", {"--help"}, false},
        {"a longer word", {"ostrel", "--helpful"}, false},
    });
    for (const HelpCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CommandLine::asksForHelp(c.arguments), c.help);
    }
}

TEST(CommandLine, TheUsageGivesEverySwitchALineOfItsOwnAndAcceptsIt)
{
    // clang-format off
    constexpr auto switches = std::to_array<std::string_view>({"--demo", "--preview", "--light", "--settings",
        "--export-snapshots", "--status", "--format", "--watch", "--refresh", "--version", "--help"});
    // clang-format on
    const std::string text = CommandLine::usage();
    for (const std::string_view name : switches) {
        SCOPED_TRACE(name);
        std::istringstream lines(text);
        int count = 0;
        for (std::string line; std::getline(lines, line);) {
            // A switch is documented where it starts its line or follows its short form.
            const std::string word = std::string(name) + " ";
            count += line.starts_with("  " + word) || line.find(", " + word) != std::string::npos ? 1 : 0;
        }
        EXPECT_EQ(count, 1);
        EXPECT_EQ(CommandLine::unknownOption({"ostrel", std::string(name), "value"}), std::nullopt);
    }
    EXPECT_TRUE(text.ends_with('\n'));
}

}  // namespace
}  // namespace ostrel
