#include "base/ProgramPaths.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

void makeProgram(const fs::path& file, bool executable = true)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "#!/bin/sh\n";
    fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

TEST(ProgramPaths, TheCommandAndTheAppFindEachOtherInABuildTreeAndInAnInstall)
{
    enum class Layout
    {
        buildTree,
        install,
        appNotExecutable
    };

    struct Case
    {
        std::string_view name;
        Layout layout;
        std::optional<std::string_view> app;  ///< relative to the root; absent: none found
        std::string_view command;             ///< what the app names as the command
    };

    constexpr auto cases = std::to_array<Case>({
        {"side by side", Layout::buildTree, "build/ostrel-app", "build/ostrel"},
        {"bin and libexec", Layout::install, "usr/libexec/ostrel/ostrel-app", "usr/bin/ostrel"},
        {"an app that cannot run", Layout::appNotExecutable, std::nullopt, "usr/bin/ostrel"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder root;
        const fs::path command = root.path() / (c.layout == Layout::buildTree ? "build/ostrel" : "usr/bin/ostrel");
        const fs::path app =
            root.path() / (c.layout == Layout::buildTree ? "build/ostrel-app" : "usr/libexec/ostrel/ostrel-app");
        makeProgram(command);
        makeProgram(app, c.layout != Layout::appNotExecutable);
        EXPECT_EQ(ProgramPaths::appFor(command),
                  c.app ? std::optional(root.path() / *c.app) : std::optional<fs::path>{});
        EXPECT_EQ(ProgramPaths::commandFor(app), root.path() / c.command);
    }
    EXPECT_EQ(ProgramPaths::commandFor("/nonexistent/libexec/ostrel/ostrel-app"), fs::path("ostrel"));
}

TEST(ProgramPaths, QuotesACommandForTheShellOnlyWhereItMust)
{
    constexpr auto cases = std::to_array<std::pair<std::string_view, std::string_view>>({
        {"/usr/bin/ostrel", "/usr/bin/ostrel"},
        {"/home/a b/.local/bin/ostrel", "'/home/a b/.local/bin/ostrel'"},
        {"/home/it's/ostrel", "'/home/it'\\''s/ostrel'"},
        {"/tmp/$(rm -rf ~)/ostrel", "'/tmp/$(rm -rf ~)/ostrel'"},
    });
    for (const auto& [path, word] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ProgramPaths::shellWord(fs::path(path)), word);
    }
}

}  // namespace
}  // namespace ostrel
