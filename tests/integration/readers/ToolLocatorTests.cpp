#include "readers/ToolLocator.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <thread>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/FakeHome.h"
#include "support/FileBytes.h"

namespace ostrel {
namespace {

using ::testing::ElementsAre;
using ::testing::Optional;
namespace fs = std::filesystem;

using testing::FakeHome;

/// A login shell that logs its two arguments and prints `output`.
std::string shellPrinting(const FakeHome& home, std::string_view output)
{
    return home.write("fake-shell",
                      "#!/bin/sh\nprintf '%s|%s\\n' \"$1\" \"$2\" >> \"$HOME/shell-calls\"\nprintf '%s' '"
                          + std::string(output) + "'\n",
                      true);
}

/// A system whose SHELL is `shell` (none when empty) and whose PATH is `path`.
ToolLocator::System systemOf(const FakeHome& home, const std::string& shell, const std::string& path = "/usr/bin:/bin")
{
    auto system = home.system({{"PATH", path}, {"LANG", "C.UTF-8"}});
    if (!shell.empty()) {
        system.variables["SHELL"] = shell;
    }
    return system;
}

TEST(ToolLocator, TakesANonBlankOverrideOutrightAndSearchesOtherwise)
{
    const FakeHome home;
    const auto own = home.write("bin/claude", "#!/bin/sh\n", true);
    const auto plain = home.write("plain/claude", "not a program");
    const auto searched = home.write("search/claude", "#!/bin/sh\n", true);
    const fs::path search = home.path() / "search";

    struct Case
    {
        std::string_view name;
        std::optional<std::string> override;
        std::optional<fs::path> found;
    };

    const auto cases = std::to_array<Case>({
        {"a home-relative override with blanks around it", " \t~/bin/claude  ", own},
        {"an override naming a file that cannot run", plain, std::nullopt},
        {"no override", std::nullopt, searched},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // The same folder named relatively comes first, and is skipped: it would depend on the working folder.
        ToolLocator locator(systemOf(home,
                                     shellPrinting(home, ""),
                                     fs::relative(search).string() + ":" + search.string() + ":/usr/bin:/bin"));
        EXPECT_EQ(locator.locate("claude", c.override), c.found);
    }
    EXPECT_EQ(testing::linesOf(home.path() / "shell-calls").size(), 1U)
        << "an override that is not blank must not start a search";
}

TEST(ToolLocator, ListsTheShellsFoldersThenTheKnownOnesThenTheApplicationsOwnEachOnce)
{
    const FakeHome home;
    const auto shell = shellPrinting(home, "Welcome!\n__OSTREL_PATH__/shell/a::/usr/local/bin__OSTREL_PATH__ bye");
    ToolLocator locator(systemOf(home, shell, "/usr/local/bin:/own/b::/shell/a:/usr/bin:/bin"));

    // Folders the shell or the application already listed come once, where first seen.
    std::vector<std::string> expected{"/shell/a", "/usr/local/bin"};
    for (const auto& folder : locator.wellKnownFolders()) {
        if (folder != "/usr/local/bin") {
            expected.push_back(folder);
        }
    }
    expected.emplace_back("/own/b");
    EXPECT_EQ(locator.searchPath(), expected);
    EXPECT_THAT(testing::linesOf(home.path() / "shell-calls"),
                ElementsAre("-ilc|printf '__OSTREL_PATH__%s__OSTREL_PATH__%s__OSTREL_PATH__%s__OSTREL_PATH__' "
                            "\"$PATH\" \"$CLAUDE_CONFIG_DIR\" \"$CODEX_HOME\""));
}

TEST(ToolLocator, KeepsTheOtherFoldersWhenTheShellGivesNoPath)
{
    const FakeHome home;

    struct Case
    {
        std::string_view name;
        std::string shell;
        std::string fallback;
        std::vector<std::string> shellPart;
    };

    const auto cases = std::to_array<Case>({
        {"a shell that hangs after one marker",
         home.write("hanging", "#!/bin/sh\nprintf '__OSTREL_PATH__/partial'\nexec /bin/sleep 30\n", true),
         "",
         {}},
        {"no SHELL: the fallback shell runs",
         "",
         home.write("fallback", "#!/bin/sh\nprintf '__OSTREL_PATH__/fb__OSTREL_PATH__'\n", true),
         {"/fb"}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto system = systemOf(home, c.shell, "/own");
        system.shellTimeout = Seconds{0.2};
        if (!c.fallback.empty()) {
            system.fallbackShell = c.fallback;
        }
        ToolLocator locator(system);
        auto expected = c.shellPart;
        const auto known = locator.wellKnownFolders();
        expected.insert(expected.end(), known.begin(), known.end());
        expected.emplace_back("/own");
        EXPECT_EQ(locator.searchPath(), expected);
    }
}

TEST(ToolLocator, BuildsTheEnvironmentWithTheToolsFolderFirst)
{
    const FakeHome home;
    auto system = systemOf(home, shellPrinting(home, "__OSTREL_PATH__/tools:/usr/bin__OSTREL_PATH__"));
    system.variables["TERM"] = "xterm-256color";
    system.variables["CLAUDE_CONFIG_DIR"] = "relative/claude";
    ToolLocator locator(system);
    const auto environment = locator.environment("/tools/claude", locator.folder(Provider::claude, std::nullopt));

    std::string path = "/tools";
    for (const auto& folder : locator.searchPath()) {
        path += ":" + folder;
    }
    EXPECT_EQ(environment.at("PATH"), path);
    EXPECT_TRUE(path.starts_with("/tools:/tools:/usr/bin:")) << "the folder comes first even when listed later";
    EXPECT_EQ(environment.at("NO_COLOR"), "1");
    EXPECT_EQ(environment.at("TERM"), "dumb");
    EXPECT_EQ(environment.at("HOME"), home.path().string());
    EXPECT_FALSE(environment.contains("CLAUDE_CONFIG_DIR")) << "a folder Ostrel did not use is not passed on";
    EXPECT_EQ(environment.size(), system.variables.size());
}

TEST(ToolLocator, TakesEachToolsFolderFromTheSettingsTheEnvironmentOrTheLoginShell)
{
    const FakeHome home;
    using Source = ToolFolder::Source;

    struct Case
    {
        std::string_view name;
        Provider provider;
        std::optional<std::string> setting;
        std::string environment;  ///< the variable in the app's environment; empty: unset
        std::string shellOutput;
        std::string path;  ///< "~" stands for the home folder
        Source source;
    };

    const std::string both =
        "__OSTREL_PATH__/bin__OSTREL_PATH__~/.claude-work/__OSTREL_PATH__/srv/codex__OSTREL_PATH__";
    const auto cases = std::to_array<Case>({
        {"the setting wins", Provider::claude, " ~/mine ", "/env/claude", both, "~/mine", Source::settings},
        {"a blank setting: the environment",
         Provider::openai,
         " ",
         "/env/codex",
         both,
         "/env/codex",
         Source::environment},
        {"the login shell's, tilde and slash taken care of",
         Provider::claude,
         {},
         "",
         both,
         "~/.claude-work",
         Source::loginShell},
        {"codex's, from the same answer", Provider::openai, {}, "", both, "/srv/codex", Source::loginShell},
        {"a relative value counts as none", Provider::openai, {}, "codex-here", "", "~/.codex", Source::standard},
        {"an answer cut after the path",
         Provider::claude,
         {},
         "",
         "__OSTREL_PATH__/bin__OSTREL_PATH__~/x",
         "~/.claude",
         Source::standard},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto system = systemOf(home, shellPrinting(home, c.shellOutput));
        if (!c.environment.empty()) {
            system.variables[std::string(ToolFolder::variable(c.provider))] = c.environment;
        }
        ToolLocator locator(system);
        std::string expected = c.path;
        if (expected.starts_with('~')) {
            expected.replace(0, 1, home.path().string());
        }
        EXPECT_EQ(locator.folder(c.provider, c.setting), (ToolFolder{c.provider, expected, c.source}));
        const auto environment = locator.environment("/bin/tool", locator.folder(c.provider, c.setting));
        const auto variable = environment.find(std::string(ToolFolder::variable(c.provider)));
        EXPECT_EQ(variable == environment.end() ? std::string() : variable->second,
                  c.source == Source::standard ? "" : expected);
    }
}

TEST(ToolLocator, ServesOverlappingLookupsFromSeveralThreadsWithOneLoginShell)
{
    const FakeHome home;
    const auto tool = home.write("tools/claude", "#!/bin/sh\n", true);
    const auto shell = home.write("slow-shell",
                                  "#!/bin/sh\necho run >> \"$HOME/shell-calls\"\nsleep 0.1\nprintf '__OSTREL_PATH__"
                                      + (home.path() / "tools").string() + "__OSTREL_PATH__'\n",
                                  true);
    ToolLocator locator(systemOf(home, shell));
    std::vector<std::optional<fs::path>> found(6);
    {
        std::vector<std::jthread> threads;
        for (std::size_t index = 0; index < found.size(); ++index) {
            threads.emplace_back([&, index] {
                if (index == 3) {
                    locator.reset();
                }
                found[index] = locator.locate("claude", std::nullopt);
            });
        }
    }
    for (const auto& result : found) {
        EXPECT_THAT(result, Optional(fs::path(tool)));
    }
    // The shell is asked once; only the reset in the middle may start a second one.
    EXPECT_LE(testing::linesOf(home.path() / "shell-calls").size(), 2U);
}

}  // namespace
}  // namespace ostrel
