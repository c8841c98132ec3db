// Runs the official codex tool, where scripts/install-provider-clis.sh has
// installed it, against an empty home: what a signed-out user sees. Skipped
// when the tool is missing. The tool's own traffic goes to a proxy address
// where nothing listens, so no request leaves the machine.

#include <cstdlib>
#include <filesystem>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "readers/CodexFetcher.h"
#include "readers/ToolLocator.h"
#include "support/Matchers.h"

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

/// An empty home; the tool sees only the variables set here, so no CODEX_HOME either.
class EmptyHome
{
public:
    EmptyHome()
        : m_folder(fs::temp_directory_path() / ("ostrel-real-codex-" + std::to_string(std::random_device{}())))
    {
        fs::create_directories(m_folder);
    }

    EmptyHome(const EmptyHome&) = delete;
    EmptyHome& operator=(const EmptyHome&) = delete;

    ~EmptyHome()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    [[nodiscard]] FetchResult fetch(const fs::path& codex, const ProcessRunner::Environment& extra = {}) const
    {
        ToolLocator::System system;
        system.home = m_folder.string();
        const std::string deadProxy = "http://127.0.0.1:9";
        system.variables = {{"HOME", system.home},
                            {"PATH", variable("PATH")},
                            {"LANG", "C.UTF-8"},
                            {"HTTPS_PROXY", deadProxy},
                            {"HTTP_PROXY", deadProxy}};
        system.variables.insert(extra.begin(), extra.end());
        system.fallbackShell = (m_folder / "no-shell").string();
        ToolLocator locator(system);
        const CodexFetcher fetcher(CodexFetcher::Options{codex.string(), Seconds{30}, &locator});
        return fetcher.fetch(Date{});
    }

    [[nodiscard]] std::string path(std::string_view relative) const
    {
        return (m_folder / relative).string();
    }

private:
    fs::path m_folder;
};

TEST(CodexRealCli, CallsAnEmptyHomeSignedOut)
{
    const auto codex = installedCodex();
    if (::access(codex.c_str(), X_OK) != 0) {
        GTEST_SKIP() << codex << " is not installed; scripts/install-provider-clis.sh installs it";
    }
    const EmptyHome home;
    EXPECT_THAT(home.fetch(codex), FailsWith(FetchFailure::notLoggedIn()));
}

TEST(CodexRealCli, PassesOnTheToolsOwnErrorForAMissingCodexHome)
{
    const auto codex = installedCodex();
    if (::access(codex.c_str(), X_OK) != 0) {
        GTEST_SKIP() << codex << " is not installed; scripts/install-provider-clis.sh installs it";
    }
    const EmptyHome home;
    EXPECT_THAT(home.fetch(codex, {{"CODEX_HOME", home.path("missing")}}),
                FailsMatching(AllOf(Field(&FetchFailure::kind, FetchFailure::Kind::unreachable),
                                    Field(&FetchFailure::text, HasSubstr("CODEX_HOME points to")))));
}

}  // namespace
}  // namespace ostrel
