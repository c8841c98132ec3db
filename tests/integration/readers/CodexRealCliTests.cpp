// Runs the official codex tool, where scripts/install-provider-clis.sh has
// installed it, against an empty home: what a signed-out user sees. Skipped
// when the tool is missing. The tool's own traffic goes to a proxy address
// where nothing listens, so no request leaves the machine.

#include <array>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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

[[nodiscard]] fs::path installedCodex()
{
    const std::string prefix = variable("OSTREL_CLIS_PREFIX");
    const fs::path folder = prefix.empty() ? fs::path(variable("HOME")) / ".cache/ostrel-clis" : fs::path(prefix);
    return folder / "node_modules/.bin/codex";
}

/// Fetches with a home that is empty; the tool sees only the variables set here.
[[nodiscard]] FetchResult fetchWithEmptyHome(const fs::path& codex, const fs::path& home, std::string_view codexHome)
{
    ToolLocator::System system;
    system.home = home.string();
    const std::string deadProxy = "http://127.0.0.1:9";
    system.variables = {{"HOME", system.home},
                        {"PATH", variable("PATH")},
                        {"LANG", "C.UTF-8"},
                        {"HTTPS_PROXY", deadProxy},
                        {"HTTP_PROXY", deadProxy}};
    if (!codexHome.empty()) {
        system.variables["CODEX_HOME"] = (home / codexHome).string();
    }
    system.fallbackShell = (home / "no-shell").string();
    ToolLocator locator(system);
    const CodexFetcher fetcher(CodexFetcher::Options{codex.string(), Seconds{30}, &locator});
    return fetcher.fetch(Date{});
}

TEST(CodexRealCli, TellsASignedOutHomeFromAMissingCodexHome)
{
    const auto codex = installedCodex();
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
        EXPECT_THAT(fetchWithEmptyHome(codex, home.path(), c.codexHome), c.result);
    }
}

}  // namespace
}  // namespace ostrel
