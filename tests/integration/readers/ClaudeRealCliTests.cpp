// The real claude tool, installed by scripts/install-provider-clis.sh, in an
// empty home: signed out, its usage report holds no allowance, and the fetch
// must end in the sign-in status's verdict. Skipped when the tool is missing.
// No request leaves the machine: the endpoint is never called (command line
// only, and its address is a closed local port), and the tool's own traffic
// goes to a proxy address where nothing listens.

#include <cstdlib>
#include <random>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "readers/ClaudeFetcher.h"
#include "readers/ToolLocator.h"
#include "support/Matchers.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

TEST(ClaudeRealCli, ReportsAnEmptyHomeAsNotLoggedIn)
{
    const char* realHome = std::getenv("HOME");
    const fs::path claude =
        fs::path(realHome != nullptr ? realHome : "") / ".cache/ostrel-clis/node_modules/.bin/claude";
    std::error_code error;
    if (realHome == nullptr || !fs::exists(claude, error)) {
        GTEST_SKIP() << "the claude tool is not installed (scripts/install-provider-clis.sh)";
    }
    const fs::path home = fs::temp_directory_path() / ("ostrel-real-claude-" + std::to_string(std::random_device{}()));
    fs::create_directories(home);

    const std::string deadProxy = "http://127.0.0.1:9";
    ToolLocator locator({.home = home.string(),
                         .variables = {{"HOME", home.string()},
                                       {"PATH", "/usr/local/bin:/usr/bin:/bin"},
                                       {"LANG", "C.UTF-8"},
                                       {"HTTPS_PROXY", deadProxy},
                                       {"HTTP_PROXY", deadProxy},
                                       {"DISABLE_AUTOUPDATER", "1"},
                                       {"CLAUDE_CODE_DISABLE_NONESSENTIAL_TRAFFIC", "1"}},
                         .fallbackShell = (home / "no-such-shell").string()});
    ClaudeFetcher::Options options;
    options.executableOverride = claude.string();
    options.cliOnly = true;
    options.home = home;
    options.endpoint.url = "https://127.0.0.1:9/api/oauth/usage";
    options.keyringTool = (home / "no-keyring-tool").string();
    options.locator = &locator;

    EXPECT_THAT(ClaudeFetcher(options).fetch(dateFromSince1970(1772539200)),
                testing::FailsWith(FetchFailure::notLoggedIn()));
    fs::remove_all(home, error);
}

}  // namespace
}  // namespace ostrel
