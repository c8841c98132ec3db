#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/ReadingsFile.h"
#include "readers/ClaudeFetcher.h"
#include "readers/ToolLocator.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/FileBytes.h"
#include "support/LocalHttpsServer.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using Status = ProviderDisplay::Status;

const std::string fixtures = OSTREL_FIXTURES_DIR;
/// Two days before the week the server's reply describes renews.
const Date readAt = dateFromSince1970(1772539200);

/// Claude's accounts in one home, each read by the real Claude reader, whose
/// usage requests go to the loopback server; it answers by the token and logs
/// each account's tokens in a file of its own.
class AccountReadingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directories(m_home / ".local/bin");
        fs::create_symlink(fixtures + "/bin/claude", m_home / ".local/bin/claude");
        ToolLocator::System system;
        system.home = m_home.string();
        // The fake claude answers a reading without a token as a signed-out tool does.
        system.variables = {{"HOME", system.home},
                            {"PATH", "/usr/bin:/bin"},
                            {"FAKE_CLAUDE_USAGE", "cost"},
                            {"FAKE_CLAUDE_STATUS", "signed-out"}};
        system.fallbackShell = (m_home / "no-such-shell").string();
        m_locator = std::make_unique<ToolLocator>(system);
    }

    void signIn(const std::string& folder, const std::string& token) const
    {
        fs::create_directories(m_home / folder);
        // Expires in 2100: fresh whenever the test runs.
        std::ofstream(m_home / folder / ".credentials.json")
            << R"({"claudeAiOauth":{"accessToken":")" << token
            << R"(","subscriptionType":"pro","expiresAt":4102444800000}})";
    }

    /// The tokens the server was sent for the account whose folder is `folder`.
    [[nodiscard]] std::vector<std::string> tokensSent(const std::string& folder) const
    {
        return testing::linesOf(server().filesFolder() / (m_home.filename().string() + folder));
    }

    [[nodiscard]] UsageStore::Options options() const
    {
        UsageStore::Options options;
        options.dataFolder = m_home / "data";
        options.clock = [] {
            return readAt;
        };
        // The live reader's own steps with the endpoint on loopback, and no keyring.
        options.readers.read = [this](Provider, const ToolChoice& choice, Date now) {
            ClaudeFetcher::Options fetcher;
            fetcher.executableOverride = choice.path;
            fetcher.folderSetting = choice.folder;
            const fs::path folder = choice.folder.value_or((m_home / ".claude").string());
            const std::string log = m_home.filename().string() + folder.filename().string();
            fetcher.endpoint = {server().url("/bearer/" + log), server().caBundle(), Seconds{5}};
            fetcher.keyringTool = (m_home / "no-keyring-tool").string();
            fetcher.locator = m_locator.get();
            return ClaudeFetcher(fetcher).fetch(now);
        };
        return options;
    }

    static const testing::LocalHttpsServer& server()
    {
        static const testing::LocalHttpsServer shared;
        return shared;
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    testing::TemporaryFolder m_folder{"ostrel-accounts-home"};
    const fs::path m_home = m_folder.path();
    std::unique_ptr<ToolLocator> m_locator;
};

TEST_F(AccountReadingTest, EachAccountSendsOnlyItsOwnTokenAndShowsItsOwnSignIn)
{
    settings.setOpenaiEnabled(false);
    signIn(".claude", "home-200");
    signIn(".claude-work", "work-200");
    fs::create_directories(m_home / ".claude-spare");
    ASSERT_TRUE(settings.addAccount(Provider::claude, "Work", m_home / ".claude-work"));
    ASSERT_TRUE(settings.addAccount(Provider::claude, "Spare", m_home / ".claude-spare"));
    ASSERT_TRUE(settings.addAccount(Provider::claude, "Gone", m_home / ".claude-gone"));
    UsageStore store(settings, options());
    const QFuture<void> read = store.refreshAndWait();
    ASSERT_TRUE(testing::spinUntil([&] { return read.isFinished(); }, std::chrono::seconds(30)));

    struct Row
    {
        std::string id;
        std::string folder;
        Status status;
        std::vector<std::string> tokens;
        std::string line;
    };

    // Spare's folder holds no sign-in, and Gone's is not there at all.
    const std::vector<Row> rows{
        {"", ".claude", Status::live, {"home-200"}, "Claude \u00B7 58%"},
        {"work", ".claude-work", Status::live, {"work-200"}, "Claude \u00B7 Work \u00B7 58%"},
        // A named account signs in with its own folder: the plain command would sign in the default one.
        {"spare",
         ".claude-spare",
         Status::needsLogin,
         {},
         "Claude \u00B7 Spare \u00B7 sign in: CLAUDE_CONFIG_DIR=" + (m_home / ".claude-spare").string()
             + " claude auth login"},
        {"gone",
         ".claude-gone",
         Status::needsLogin,
         {},
         "Claude \u00B7 Gone \u00B7 sign in: CLAUDE_CONFIG_DIR=" + (m_home / ".claude-gone").string()
             + " claude auth login"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.folder);
        const ProviderDisplay shown = store.display(AccountKey{Provider::claude, row.id}, readAt);
        EXPECT_EQ(shown.status, row.status);
        EXPECT_EQ(tokensSent(row.folder), row.tokens);
        EXPECT_THAT(shown.summaryLine(readAt), ::testing::HasSubstr(row.line));
    }
    EXPECT_EQ(store.reportLines(readAt).size(), 4U) << "the default account, then the named ones";

    // Removed, Work's readings go from the store and the file; the others stay as they were.
    const Saved before = store.saved();
    ASSERT_TRUE(settings.removeAccount(Provider::claude, "work"));
    store.followAccounts(Provider::claude);
    const auto file = ReadingsFile::read(ReadingsFile::filePath(m_home / "data"));
    ASSERT_TRUE(file);
    for (const Saved& saved : {store.saved(), *file}) {
        EXPECT_FALSE(saved.accounts.contains(AccountKey{Provider::claude, "work"}));
        EXPECT_EQ(saved.accounts.at(AccountKey{Provider::claude, "spare"}),
                  before.accounts.at(AccountKey{Provider::claude, "spare"}));
        EXPECT_EQ(saved.snapshots, before.snapshots);
    }
}

}  // namespace
}  // namespace ostrel
