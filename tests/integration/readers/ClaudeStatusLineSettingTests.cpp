#include "readers/ClaudeStatusLineSetting.h"

#include <sys/stat.h>

#include <array>
#include <fstream>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

#include "support/FileBytes.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using testing::contents;
using testing::modeOf;

namespace fs = std::filesystem;
using State = ClaudeStatusLineSetting::State;
using Kind = ClaudeStatusLineSetting::AddFailure::Kind;

constexpr std::string_view command = "ostrel --statusline";
constexpr std::string_view ourMember = "\"statusLine\": {\n"
                                       "    \"type\": \"command\",\n"
                                       "    \"command\": \"ostrel --statusline\"\n"
                                       "  }";

void put(const fs::path& file, std::string_view bytes, mode_t mode)
{
    testing::put(file, bytes);
    ::chmod(file.c_str(), mode);
}

TEST(ClaudeStatusLineSetting, AddsTheEntryOnlyWhereNoStatusLineIsSet)
{
    struct Case
    {
        std::string_view name;
        std::optional<std::string_view> original;  ///< absent: no file, nor its folder
        State state;
        std::string_view outcome;  ///< the file after the entry is added, else why it is not
        mode_t mode = 0600;
    };

    const std::string spliced = std::string("{\n  \"model\": \"opus\",\n  \"env\": {\"RATE\": 1.50, \"ID\": "
                                            "123456789012345678901234},\n  \"name\": \"\\u00e9t\\u00e9\"")
                                + ",\n  " + std::string(ourMember) + "\n}\n";
    const std::string fresh = "{\n  " + std::string(ourMember) + "\n}\n";
    const std::string deep = "{\"a\":" + std::string(100000, '[') + std::string(100000, ']') + ",\"b\":1}";
    constexpr std::string_view another = "Claude Code already has another status line; Ostrel left it unchanged.";
    const auto cases = std::to_array<Case>({
        {"other keys keep their bytes, spellings and escapes around the new entry",
         "{\n  \"model\": \"opus\",\n  \"env\": {\"RATE\": 1.50, \"ID\": 123456789012345678901234},\n  \"name\": "
         "\"\\u00e9t\\u00e9\"\n}\n",
         State::absent,
         spliced,
         0640},
        {"no file and no folder: both are made", std::nullopt, State::absent, fresh},
        {"another status line is left alone",
         R"({"statusLine": {"type": "command", "command": "~/.claude/line.sh", "padding": 0}})",
         State::another,
         another},
        {"ours, by another path, is not added twice",
         R"({"statusLine": {"type": "command", "command": " /usr/bin/ostrel  --statusline"}})",
         State::ours,
         "Claude Code's status line already shows Ostrel."},
        {"a trailing comma is malformed",
         "{\n  \"model\": \"opus\",\n}\n",
         State::malformed,
         "Claude Code's settings file is not valid JSON (line 3, column 1); Ostrel left it unchanged."},
        {"nesting too deep to read safely",
         deep,
         State::malformed,
         "Claude Code's settings file is nested too deeply to read; Ostrel left it unchanged."},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder home;
        const fs::path file = home.path() / ".claude" / "settings.json";
        if (c.original) {
            fs::create_directories(file.parent_path());
            put(file, *c.original, c.mode);
        }
        const ClaudeStatusLineSetting setting(file, std::string(command));
        const auto before = setting.inspect();
        EXPECT_EQ(before.state, c.state);
        if (c.state == State::malformed) {
            EXPECT_EQ(before.message, c.outcome);
        }

        const auto added = setting.add();
        const bool hadFile = c.original.has_value();
        if (c.state != State::absent) {
            ASSERT_FALSE(added.has_value());
            EXPECT_EQ(added.error().kind, c.state == State::malformed ? Kind::unusable : Kind::alreadySet);
            EXPECT_EQ(added.error().message, c.outcome);
            EXPECT_EQ(contents(file), *c.original);
            EXPECT_FALSE(fs::exists(setting.backupFile()));
            continue;
        }
        ASSERT_TRUE(added.has_value()) << added.error().message;
        EXPECT_EQ(contents(file), c.outcome);
        EXPECT_EQ(setting.inspect().state, State::ours);
        EXPECT_EQ(modeOf(file), hadFile ? c.mode : 0600);
        EXPECT_EQ(fs::exists(setting.backupFile()), hadFile);
        if (hadFile) {
            EXPECT_EQ(contents(setting.backupFile()), *c.original);
            EXPECT_EQ(modeOf(setting.backupFile()), 0600U);
        } else {
            EXPECT_EQ(modeOf(file.parent_path()), 0700U);
        }
        // Once there, it is never added a second time.
        EXPECT_EQ(setting.add().error().kind, Kind::alreadySet);
    }
}

TEST(ClaudeStatusLineSetting, WritesThroughALinkButNeverCreatesWhereOneLeads)
{
    const testing::TemporaryFolder home;
    const fs::path claude = home.path() / ".claude";
    const fs::path dotfiles = home.path() / "dotfiles";
    fs::create_directories(claude);
    fs::create_directories(dotfiles);
    const fs::path file = claude / "settings.json";
    const ClaudeStatusLineSetting setting(file, std::string(command));

    // A link to nothing: adding would create a file wherever it points.
    fs::create_symlink(dotfiles / "claude.json", file);
    EXPECT_EQ(setting.inspect().state, State::unreadable);
    ASSERT_FALSE(setting.add().has_value());
    EXPECT_FALSE(fs::exists(dotfiles / "claude.json"));

    // A link to a real file: that file gets the entry, keeps its mode, and the
    // link stays; the copy lies beside the link, not in the folder it leads to.
    put(dotfiles / "claude.json", "{}", 0640);
    ASSERT_TRUE(setting.add().has_value());
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(contents(dotfiles / "claude.json"), "{\n  " + std::string(ourMember) + "\n}");
    EXPECT_EQ(modeOf(dotfiles / "claude.json"), 0640U);
    EXPECT_EQ(contents(claude / "settings.json.ostrel-backup"), "{}");
    EXPECT_EQ(std::distance(fs::directory_iterator(dotfiles), fs::directory_iterator()), 1);
}

TEST(ClaudeStatusLineSetting, LeavesTheFileAloneWhenALinkIsInItsCopysPlace)
{
    const testing::TemporaryFolder home;
    const fs::path file = home.path() / "settings.json";
    put(file, R"({"a": 1})", 0600);
    const ClaudeStatusLineSetting setting(file, std::string(command));
    fs::create_symlink(home.path() / "elsewhere", setting.backupFile());
    const auto added = setting.add();
    ASSERT_FALSE(added.has_value());
    EXPECT_EQ(added.error().kind, Kind::backup);
    EXPECT_EQ(contents(file), R"({"a": 1})");
    EXPECT_FALSE(fs::exists(home.path() / "elsewhere"));
}

}  // namespace
}  // namespace ostrel
