#include "readers/AccountFolders.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "support/FileBytes.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using testing::put;

TEST(AccountFolders, SuggestsTheHomesOtherSignedInFoldersOfTheTool)
{
    const testing::TemporaryFolder temporary;
    const fs::path& home = temporary.path();
    const auto folder = [&](std::string_view name, std::string_view file = {}) {
        fs::create_directories(home / name);
        if (!file.empty()) {
            put(home / name / file, "not read");
        }
    };
    folder(".claude", ".credentials.json");  // the default account's own
    folder(".claude-work", ".credentials.json");
    folder(".claude-home", ".credentials.json");
    folder(".claude-used", ".credentials.json");  // an account already
    folder(".claude-signed-out");                 // no sign-in
    folder(".claude-odd/.credentials.json");      // a folder in the sign-in's place
    folder(".codex-side_project-2", "auth.json");
    folder(".codex-claude", ".credentials.json");  // the other tool's file
    put(home / ".claude-file", "a file, not a folder");
    fs::create_directory_symlink(home / ".claude-used", home / ".claude-also-used");
    fs::create_directory_symlink(home / ".claude-work", home / ".claude-work-link");
    fs::create_directory_symlink(home / ".claude-loop", home / ".claude-loop");
    fs::create_directory_symlink(home / "nowhere", home / ".claude-dangling");
    ASSERT_EQ(::mkfifo((home / ".claude-fifo").c_str(), 0600), 0);

    struct Case
    {
        Provider provider;
        fs::path home;
        std::vector<fs::path> existing;
        std::vector<std::string> found;  ///< and the name proposed for each
    };

    const auto cases = std::to_array<Case>({
        {Provider::claude,
         home,
         {home / ".claude", home / ".claude-used/"},
         {".claude-home Home", ".claude-work Work"}},
        {Provider::openai, home, {home / ".codex"}, {".codex-side_project-2 Side project 2"}},
        {Provider::openai, home, {home / ".codex-side_project-2"}, {}},
        {Provider::claude, home / "missing", {}, {}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.found.empty() ? "none" : c.found.front());
        std::vector<std::string> found;
        for (const fs::path& suggested : AccountFolders::suggestions(c.provider, c.home, c.existing)) {
            EXPECT_EQ(suggested.parent_path(), home);
            found.push_back(suggested.filename().string() + " " + AccountFolders::proposedName(c.provider, suggested));
        }
        EXPECT_EQ(found, c.found);
    }
}

}  // namespace
}  // namespace ostrel
