#include "app/LaunchOptions.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(LaunchOptions, ReadsEachSwitchAsAWholeArgumentAndTheFormatWord)
{
    struct Case
    {
        std::string_view name;
        std::vector<std::string> arguments;
        bool isDemo;
        bool exports;
        bool preview;
        bool light;
        bool settings;
        bool status;
        std::optional<std::string> format;
        bool watch;
        bool refresh;
    };

    // clang-format off
    const auto cases = std::to_array<Case>({
        {"demo anywhere", {"ostrel", "--settings", "--demo"}, true, false, false, false, true, false, {}, false, false},
        {"export with a folder", {"ostrel", "--export-snapshots", "out"}, true, true, false, false, false, false, {},
         false, false},
        {"export as the last argument is a demo", {"ostrel", "--export-snapshots"}, true, false, false, false, false,
         false, {}, false, false},
        {"light with preview", {"ostrel", "--light", "--preview"}, false, false, true, true, false, false, {}, false,
         false},
        {"prefixes do not match", {"ostrel", "--demo=1", "--previews", "-settings", "--statuses", "--watching",
         "--formats", "x", "--refreshing"}, false, false, false, false, false, false, {}, false, false},
        {"the word after --format", {"ostrel", "--status", "--format", "json", "--watch"}, false, false, false, false,
         false, true, "json", true, false},
        {"--format last names an empty word; a refresh before it", {"ostrel", "--refresh", "--status", "--format"},
         false, false, false, false, false, true, "", false, true},
    });
    // clang-format on
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
        EXPECT_EQ(options.status, c.status);
        EXPECT_EQ(options.statusFormat, c.format);
        EXPECT_EQ(options.watch, c.watch);
        EXPECT_EQ(options.refresh, c.refresh);
    }
}

}  // namespace
}  // namespace ostrel
