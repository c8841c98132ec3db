// The official claude and codex tools, where scripts/install-provider-clis.sh
// has installed them, run against an empty home: what a signed-out user sees.
// Skipped when a tool is missing. The tools' own traffic goes to a proxy
// address where nothing listens, and the Claude endpoint is never called
// (command line only, at a closed local port), so no request leaves the machine.

#include <unistd.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "readers/ClaudeFetcher.h"
#include "readers/CodexFetcher.h"
#include "readers/ToolLocator.h"
#include "support/Matchers.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

using ostrel::testing::FailsMatching;
using ostrel::testing::FailsWith;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

[[nodiscard]] std::string variable(const char* name)
{
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): read before any thread starts
    return value != nullptr ? value : "";
}

[[nodiscard]] fs::path installed(std::string_view tool)
{
    const std::string prefix = variable("OSTREL_CLIS_PREFIX");
    const fs::path folder = prefix.empty() ? fs::path(variable("HOME")) / ".cache/ostrel-clis" : fs::path(prefix);
    return folder / "node_modules/.bin" / tool;
}

/// What the tools see in an empty home: only these variables.
[[nodiscard]] ToolLocator::System emptyHome(const fs::path& home)
{
    const std::string deadProxy = "http://127.0.0.1:9";
    return {.home = home.string(),
            .variables = {{"HOME", home.string()},
                          {"PATH", variable("PATH")},
                          {"LANG", "C.UTF-8"},
                          {"HTTPS_PROXY", deadProxy},
                          {"HTTP_PROXY", deadProxy},
                          {"DISABLE_AUTOUPDATER", "1"},
                          {"CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC", "1"}},
            .fallbackShell = (home / "no-such-shell").string()};
}

TEST(ClaudeRealCli, ReportsAnEmptyHomeAsNotLoggedIn)
{
    const fs::path claude = installed("claude");
    if (::access(claude.c_str(), X_OK) != 0) {
        GTEST_SKIP() << claude << " is not installed; scripts/install-provider-clis.sh installs it";
    }
    const testing::TemporaryFolder home("ostrel-real-claude");
    ToolLocator locator(emptyHome(home.path()));
    ClaudeFetcher::Options options;
    options.executableOverride = claude.string();
    options.cliOnly = true;
    options.endpoint.url = "https://127.0.0.1:9/api/oauth/usage";
    options.keyringTool = (home.path() / "no-keyring-tool").string();
    options.locator = &locator;
    EXPECT_THAT(ClaudeFetcher(options).fetch(dateFromSince1970(1772539200)), FailsWith(FetchFailure::notLoggedIn()));
}

TEST(CodexRealCli, TellsASignedOutHomeFromAMissingCodexHome)
{
    const fs::path codex = installed("codex");
    if (::access(codex.c_str(), X_OK) != 0) {
        GTEST_SKIP() << codex << " is not installed; scripts/install-provider-clis.sh installs it";
    }

    struct Case
    {
        std::string_view name;
        std::string_view codexHome;  ///< under the empty home; empty: not set
        ::testing::Matcher<FetchResult> result;
    };

    const auto cases = std::to_array<Case>({
        {"no CODEX_HOME: signed out", "", FailsWith(FetchFailure::notLoggedIn())},
        {"a CODEX_HOME that does not exist: the tool's own error",
         "missing",
         FailsMatching(AllOf(Field(&FetchFailure::kind, FetchFailure::Kind::unreachable),
                             Field(&FetchFailure::text, HasSubstr("CODEX_HOME points to"))))},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const testing::TemporaryFolder home("ostrel-real-codex");
        auto system = emptyHome(home.path());
        if (!c.codexHome.empty()) {
            system.variables["CODEX_HOME"] = (home.path() / c.codexHome).string();
        }
        ToolLocator locator(system);
        const CodexFetcher fetcher(CodexFetcher::Options{codex.string(), Seconds{30}, &locator});
        EXPECT_THAT(fetcher.fetch(Date{}), c.result);
    }
}

}  // namespace
}  // namespace ostrel
