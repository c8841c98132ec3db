#include "readers/ClaudeFetcher.h"

#include <cstdint>
#include <memory>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "readers/ToolLocator.h"
#include "support/FakeHome.h"
#include "support/FileBytes.h"
#include "support/LocalHttpsServer.h"
#include "support/Matchers.h"

namespace ostrel {
namespace {

using testing::linesOf;

using ::testing::AllOf;
using ::testing::ElementsAre;
using testing::FailsWith;
using ::testing::Field;
using ::testing::HasSubstr;
using testing::HoldsValue;
using ::testing::Matcher;
using ::testing::Not;
using ::testing::Optional;
namespace fs = std::filesystem;

const Date now = dateFromSince1970(1772539200);
const std::string fixtures = OSTREL_FIXTURES_DIR;

/// Credentials as the claude tool stores them; `expiresIn` seconds from now, none when absent.
std::string credentialsJson(const std::string& token, std::optional<double> expiresIn, const std::string& plan = "pro")
{
    std::string oauth = R"("accessToken":")" + token + R"(","subscriptionType":")" + plan + '"';
    if (expiresIn) {
        oauth +=
            R"(,"expiresAt":)" + std::to_string(static_cast<std::int64_t>((secondsSince1970(now) + *expiresIn) * 1000));
    }
    return R"({"claudeAiOauth":{)" + oauth + "}}";
}

/// What one fetch meets: the stores' contents, the endpoint's answer and the tool.
struct Situation
{
    /// Path on the local server; "/bearer" answers by the token and logs it (endpointCalls()).
    std::string endpoint = "/body/weekly";
    std::optional<std::string> keyring;  ///< the keyring item; absent: the lookup fails
    bool keyringToolInstalled = true;
    std::optional<std::string> file;  ///< .credentials.json in claude's folder
    std::string configDir;            ///< CLAUDE_CONFIG_DIR, below the home; empty: unset, ~/.claude
    bool claudeInstalled = true;
    std::string usage;      ///< what the fake `claude -p /usage` prints
    std::string status;     ///< what the fake `claude auth status` prints
    std::string errorText;  ///< what the fake's stderr mode prints
    std::string refreshed;  ///< a token the fake's usage run stores, as after a refresh
    Seconds commandTimeout{45};
};

Matcher<FetchResult> readingFrom(const std::string& source, const std::string& plan)
{
    return HoldsValue(AllOf(Field(&ProviderReading::provider, Provider::claude),
                            Field(&ProviderReading::fetchedAt, now),
                            Field(&ProviderReading::source, source),
                            Field(&ProviderReading::plan, Optional(plan))));
}

struct Case
{
    std::string_view name;
    Situation situation;
    Matcher<FetchResult> expected;
    std::vector<std::string> runs;  ///< the fake claude's runs
    /// The tokens the endpoint was called with, in order; checked on "/bearer" only.
    std::vector<std::string> endpointCalls = {};
};

class ClaudeFetcherTest : public ::testing::Test
{
protected:
    /// Runs one fetch in a fresh home; the fake claude is found by the search,
    /// in ~/.local/bin, and the fake keyring tool is given by its path.
    FetchResult fetch(const Situation& setup)
    {
        const testing::FakeHome& home = m_home.emplace("ostrel-claude-home");
        if (setup.keyring) {
            home.write("keyring-item", *setup.keyring);
        }
        home.write("bin/secret-tool",
                   "#!/bin/sh\nFAKE_KEYRING_FILE='" + (home.path() / "keyring-item").string() + "' FAKE_KEYRING_LOG='"
                       + (home.path() / "keyring-calls").string() + "' '" + fixtures + "/bin/secret-tool' \"$@\"\n",
                   true);
        const std::string folder = setup.configDir.empty() ? ".claude" : setup.configDir;
        if (setup.file) {
            home.write(folder + "/.credentials.json", *setup.file);
        }
        if (setup.claudeInstalled) {
            fs::create_directories(home.path() / ".local/bin");
            fs::create_symlink(fixtures + "/bin/claude", home.path() / ".local/bin/claude");
        }
        auto system = home.system({{"FAKE_CLAUDE_USAGE", setup.usage},
                                   {"FAKE_CLAUDE_STATUS", setup.status},
                                   {"FAKE_CLAUDE_STDERR", setup.errorText},
                                   {"FAKE_CLAUDE_REFRESHED", setup.refreshed},
                                   {"FAKE_CLAUDE_LOG", (home.path() / "claude-calls").string()}});
        if (!setup.configDir.empty()) {
            system.variables["CLAUDE_CONFIG_DIR"] = (home.path() / setup.configDir).string();
        }
        m_locator = std::make_unique<ToolLocator>(system);

        const std::string path =
            setup.endpoint == "/bearer" ? "/bearer/" + bearerLog().filename().string() : setup.endpoint;
        ClaudeFetcher::Options options;
        options.endpoint = {server().url(path), server().caBundle(), Seconds{5}};
        options.keyringTool = (home.path() / (setup.keyringToolInstalled ? "bin/secret-tool" : "bin/missing")).string();
        options.commandTimeout = setup.commandTimeout;
        options.timeZone = "Europe/London";
        options.locator = m_locator.get();
        return ClaudeFetcher(options).fetch(now);
    }

    /// Each run of the fake claude: its arguments, then '<' and its standard input.
    [[nodiscard]] std::vector<std::string> claudeCalls() const
    {
        return linesOf(m_home->path() / "claude-calls");
    }

    /// "usage" or "status" for each run of the fake claude, in order.
    [[nodiscard]] std::vector<std::string> claudeRuns() const
    {
        auto runs = claudeCalls();
        for (auto& run : runs) {
            run = run.starts_with("auth status") ? "status" : run.starts_with("-p /usage") ? "usage" : run;
        }
        return runs;
    }

    /// Runs every case in a fresh home and checks its outcome and the tool's runs.
    void check(const std::vector<Case>& cases)
    {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            const auto result = fetch(c.situation);
            EXPECT_THAT(result, c.expected);
            EXPECT_EQ(claudeRuns(), c.runs);
            EXPECT_LE(linesOf(m_home->path() / "keyring-calls").size(), 1U) << "one keyring lookup per reading";
            if (c.situation.endpoint == "/bearer") {
                EXPECT_EQ(linesOf(bearerLog()), c.endpointCalls);
            }
            if (!result) {
                for (const auto* token : {"fresh-token", "expiring-token", "file-token", "first-429"}) {
                    EXPECT_THAT(result.error().text, Not(HasSubstr(token)));
                }
                if (!c.situation.refreshed.empty()) {
                    EXPECT_THAT(result.error().text, Not(HasSubstr(c.situation.refreshed)));
                }
            }
        }
    }

private:
    /// Where the server logs this case's "/bearer" calls: the server is shared, the home is not.
    [[nodiscard]] fs::path bearerLog() const
    {
        return server().filesFolder() / m_home->path().filename();
    }

    /// One server for every test: making its certificate takes a while.
    static const testing::LocalHttpsServer& server()
    {
        static const testing::LocalHttpsServer shared;
        return shared;
    }

    std::unique_ptr<ToolLocator> m_locator;
    std::optional<testing::FakeHome> m_home;
};

const std::string freshToken = credentialsJson("fresh-token", 600);
const std::string expiringToken = credentialsJson("expiring-token", 90);
const FetchFailure noAllowance =
    FetchFailure::unexpected("Claude Code didn't report its weekly allowance; add Ostrel to its status line "
                             "(Settings › Command-line tools) to read it from there.");
const auto signInExpired =
    FailsWith(FetchFailure::unreachable("Sign-in has expired and the claude CLI wasn't found to refresh it"));
const auto signedOut = FailsWith(FetchFailure::notLoggedIn());
const auto fromApi = readingFrom("usage API", "Pro");
const auto fromCli = readingFrom("claude /usage", "Pro");
/// The fake claude's runs: none, the usage report alone, or the report and then the sign-in status.
const std::vector<std::string> none{};
const std::vector<std::string> report{"usage"};
const std::vector<std::string> both{"usage", "status"};

TEST_F(ClaudeFetcherTest, ChoosesBetweenTheEndpointAndTheTool)
{
    const std::vector<Case> cases{
        {"fresh token and 200: the command never runs", {.file = freshToken}, fromApi, none},
        {"token expiring within 120 s: the endpoint is skipped", {.file = expiringToken}, fromCli, report},
        {"no credentials and no tool", {.claudeInstalled = false}, FailsWith(FetchFailure::cliMissing()), none},
        {"expiring credentials and no tool", {.file = expiringToken, .claudeInstalled = false}, signInExpired, none},
        {"endpoint 401 and no tool",
         {.endpoint = "/status/401", .file = freshToken, .claudeInstalled = false},
         signedOut,
         none},
        {"endpoint 429, then the command", {.endpoint = "/status/429", .file = freshToken}, fromCli, report},
    };
    check(cases);
}

TEST_F(ClaudeFetcherTest, AsksTheEndpointAgainOnlyWithATokenTheToolRefreshed)
{
    // The fake stores refreshed tokens with the max plan; the tokens' last parts
    // are the endpoint's answers.
    const std::string first = credentialsJson("first-429", 600);
    const auto fromEndpoint = readingFrom("usage API", "Max 5×");
    const std::vector<Case> cases{
        {"an unchanged token is sent once, and a report without allowance says so",
         {.endpoint = "/bearer", .file = first, .usage = "cost"},
         FailsWith(noAllowance),
         both,
         {"first-429"}},
        {"a refreshed token's reading is returned",
         {.endpoint = "/bearer", .file = first, .usage = "cost", .refreshed = "second-200"},
         fromEndpoint,
         report,
         {"first-429", "second-200"}},
        {"an expiring token is not sent, the refreshed one is",
         {.endpoint = "/bearer", .file = expiringToken, .usage = "cost", .refreshed = "second-200"},
         fromEndpoint,
         report,
         {"second-200"}},
        {"a token from the keyring, refreshed by the tool into its file",
         {.endpoint = "/bearer", .keyring = first, .usage = "cost", .refreshed = "second-200"},
         fromEndpoint,
         report,
         {"first-429", "second-200"}},
        {"a moved folder: the tool runs with it and the token it refreshed there is sent",
         {.endpoint = "/bearer", .file = first, .configDir = "work", .usage = "cost", .refreshed = "second-200"},
         fromEndpoint,
         report,
         {"first-429", "second-200"}},
    };
    check(cases);
}

TEST_F(ClaudeFetcherTest, TakesTheKeyringBeforeTheFile)
{
    const std::string maxPlan = credentialsJson("file-token", 600, "max");
    const auto fromFile = readingFrom("usage API", "Max");
    const std::vector<Case> cases{
        {"keyring beats file", {.keyring = freshToken, .file = maxPlan}, fromApi, none},
        {"no keyring tool", {.keyring = freshToken, .keyringToolInstalled = false, .file = maxPlan}, fromFile, none},
        {"an expiring keyring token is not sent", {.keyring = expiringToken, .file = maxPlan}, fromCli, report},
        {"a moved folder has its file only: the keyring item is the standard folder's",
         {.keyring = freshToken, .file = maxPlan, .configDir = "work"},
         fromFile,
         none},
    };
    check(cases);
}

TEST_F(ClaudeFetcherTest, ExplainsAFailedCommandByTheSignInStatus)
{
    const std::string realToken = "sk-ant-oat01-" + std::string(40, 'Q') + "-" + std::string(34, 'z') + "AA";
    const std::string padding(192, '.');
    std::string withRefreshToken = expiringToken;
    withRefreshToken.insert(withRefreshToken.size() - 2, R"(,"refreshToken":"sk-ant-ort01-R3fr3shT0k3n")");
    const std::vector<Case> cases{
        {"a cost summary, signed out", {.usage = "cost", .status = "signed-out"}, signedOut, both},
        {"a hang past the command's time-out",
         {.usage = "hang", .commandTimeout = Seconds{0.5}},
         FailsWith(FetchFailure::unreachable("`claude /usage` timed out")),
         both},
        {"the tokens the tool prints are kept out of the failure",
         {.file = withRefreshToken, .usage = "leak"},
         FailsWith(FetchFailure::unexpected(
             R"(failed to use {"claudeAiOauth":{"accessToken":"[token]","subscriptionType":"pro","expiresAt":1772539290000,)"
             R"("refreshToken":"[token]"}})")),
         both},
        {"a token cut by the 200-character tail of the output",
         {.file = credentialsJson(realToken, 90), .usage = "stderr", .errorText = realToken + " " + padding},
         FailsWith(FetchFailure::unexpected("[token] " + padding)),
         both},
    };
    check(cases);
}

TEST_F(ClaudeFetcherTest, RunsTheUsageReportWithNoInputAndNoHooks)
{
    ASSERT_THAT(fetch({.usage = "is-error-other"}), FailsWith(noAllowance));
    EXPECT_THAT(
        claudeCalls(),
        ElementsAre(
            R"(-p /usage --no-session-persistence --output-format json --settings {"disableAllHooks":true} </dev/null)",
            "auth status --json </dev/null"));
}

}  // namespace
}  // namespace ostrel
