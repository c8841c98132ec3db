#include "app/LaunchOptions.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

struct Case
{
    std::string_view name;
    std::vector<std::string> arguments;
    bool isDemo;
    bool exports;
    bool preview;
    bool light;
    bool settings;
};

TEST(LaunchOptions, ReadsTheFiveSwitchesAsWholeArguments)
{
    const auto cases = std::to_array<Case>({
        {"demo anywhere", {"ostrel", "--settings", "--demo"}, true, false, false, false, true},
        {"export with a folder", {"ostrel", "--export-snapshots", "out"}, true, true, false, false, false},
        {"export as the last argument is a demo", {"ostrel", "--export-snapshots"}, true, false, false, false, false},
        {"light with preview", {"ostrel", "--light", "--preview"}, false, false, true, true, false},
        {"prefixes do not match", {"ostrel", "--demo=1", "--previews", "-settings"}, false, false, false, false, false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LaunchOptions options = LaunchOptions::parse(c.arguments);
        EXPECT_EQ(options.isDemo, c.isDemo);
        EXPECT_EQ(options.exportFolder,
                  c.exports ? std::optional(std::filesystem::current_path() / "out") : std::nullopt)
            << "a relative folder is resolved against the working directory";
        EXPECT_EQ(options.preview, c.preview);
        EXPECT_EQ(options.light, c.light);
        EXPECT_EQ(options.settings, c.settings);
    }
}

TEST(LaunchOptions, ReadsTheStatusSwitchesAndTheFormatWord)
{
    struct StatusCase
    {
        std::string_view name;
        std::vector<std::string> arguments;
        bool status;
        std::optional<std::string> format;
        bool watch;
        bool refresh;
    };

    const auto cases = std::to_array<StatusCase>({
        {"the word after --format", {"ostrel", "--status", "--format", "json", "--watch"}, true, "json", true, false},
        {"--format last names an empty word", {"ostrel", "--status", "--format"}, true, "", false, false},
        {"prefixes do not match", {"ostrel", "--statuses", "--watching", "--formats", "x"}, false, {}, false, false},
    });
    for (const StatusCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LaunchOptions options = LaunchOptions::parse(c.arguments);
        EXPECT_EQ(options.status, c.status);
        EXPECT_EQ(options.statusFormat, c.format);
        EXPECT_EQ(options.watch, c.watch);
        EXPECT_EQ(options.refresh, c.refresh);
    }
}

}  // namespace
}  // namespace ostrel
