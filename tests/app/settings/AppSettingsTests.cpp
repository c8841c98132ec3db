#include "settings/AppSettings.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

/// A throw-away config folder; the login item sits in its autostart folder.
struct Sandbox
{
    QTemporaryDir temp;
    fs::path root{temp.path().toStdString()};
    fs::path folder = root / "config" / "Ostrel";
    fs::path entry = root / "config" / "autostart" / "ostrel.desktop";

    [[nodiscard]] std::unique_ptr<AppSettings> open() const
    {
        return std::make_unique<AppSettings>(folder, LoginItem(entry, "/usr/bin/ostrel"));
    }

    /// What the file holds under `key`, read past AppSettings.
    [[nodiscard]] QVariant stored(const char* key) const
    {
        const QSettings file(QString::fromStdString((folder / AppSettings::fileName).string()), QSettings::IniFormat);
        return file.value(QLatin1String(key));
    }

    void writeFile(std::string_view text) const
    {
        fs::create_directories(folder);
        std::ofstream(folder / AppSettings::fileName) << text;
    }
};

TEST(AppSettings, AFreshAccountReadsWithoutWritingAnything)
{
    const Sandbox box;
    const auto settings = box.open();
    EXPECT_TRUE(settings->morningReport());
    EXPECT_FALSE(fs::exists(box.root / "config")) << "defaults live in code, never in the file";
}

TEST(AppSettings, NeverOpensAFifoInTheFilesPlace)
{
    const Sandbox box;
    const fs::path file = box.folder / AppSettings::fileName;
    fs::create_directories(box.folder);
    // A FIFO would block the open.
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    const auto settings = box.open();
    EXPECT_EQ(settings->refreshMinutes(), 60);
    settings->setRefreshMinutes(5);
    EXPECT_EQ(settings->refreshMinutes(), 5) << "kept for the run";
    EXPECT_EQ(fs::status(file).type(), fs::file_type::fifo);
}

TEST(AppSettings, EveryAssignmentIsOnDiskBeforeTheNextInstanceReadsIt)
{
    const Sandbox box;
    {
        const auto settings = box.open();
        // Every key goes through the same generic write and read.
        settings->setTrayStyle(TrayStyle::stacked);
        settings->setClaudePath("/opt/claude, the tool");
        settings->setMorningReportTime({.hour = 7, .minute = 30});
        settings->setAlertOn(AlertTopic::account, false);
        settings->setAlertThresholdPercent(75);
        // Read while the first instance is still alive: nothing waits for its destructor.
        const auto second = box.open();
        EXPECT_EQ(second->trayStyle(), TrayStyle::stacked);
        EXPECT_EQ(second->claudePath(), "/opt/claude, the tool");
        EXPECT_EQ(second->morningReportTime(), (ClockTime{.hour = 7, .minute = 30}));
        EXPECT_FALSE(second->alertOn(AlertTopic::account));
        EXPECT_TRUE(second->alertOn(AlertTopic::renewed));
        EXPECT_EQ(second->alertThresholdPercent(), 75);
    }
    EXPECT_EQ(fs::status(box.folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(box.folder / AppSettings::fileName).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(AppSettings, StoredValuesThatNameNoChoiceFallBackToTheDefaults)
{
    const Sandbox box;
    box.writeFile("[General]\n"
                  "claudeEnabled=maybe\n"
                  "refreshMinutes=often\n"
                  "menuBarStyle=Bars\n"
                  "claudePath=/opt/a,b/claude\n"
                  "morningReportTime=24:00\n"
                  "alertPace=maybe\n"
                  "alertThresholdPercent=80\n"
                  "[codexAccounts]\n"
                  "1\\name=Side\n"
                  "1\\folder=~/.codex-side\n"
                  "size=1\n");
    const auto settings = box.open();
    EXPECT_EQ(settings->morningReportTime(), ClockTime{});
    EXPECT_TRUE(settings->alertOn(AlertTopic::pace));
    EXPECT_EQ(settings->alertThresholdPercent(), 90) << "only the offered thresholds count";
    EXPECT_TRUE(settings->claudeEnabled()) << "not a boolean";
    EXPECT_EQ(settings->refreshMinutes(), 60);
    EXPECT_EQ(settings->trayStyle(), TrayStyle::cells);
    EXPECT_EQ(settings->claudePath(), "/opt/a,b/claude") << "an unquoted comma is part of the path";
    EXPECT_EQ(settings->accounts(Provider::openai).back(),
              (ToolAccount{Provider::openai, "side", "Side", QDir::homePath().toStdString() + "/.codex-side"}))
        << "an account written by hand, without an id";
}

TEST(AppSettings, ARefreshIntervalBelowOneMinuteCountsAsAnHourButStaysStored)
{
    const Sandbox box;

    // Zero would fire continuously; the other is beyond what a timer holds.
    for (const auto& [stored, inEffect] : {std::pair{0, 60}, {100000000, AppSettings::longestRefreshMinutes}}) {
        SCOPED_TRACE(stored);
        box.open()->setRefreshMinutes(stored);
        const auto settings = box.open();
        EXPECT_EQ(settings->refreshMinutes(), inEffect);
        EXPECT_EQ(settings->storedRefreshMinutes(), stored);
        EXPECT_EQ(box.stored("refreshMinutes").toInt(), stored);
    }
}

TEST(AppSettings, KeepsNamedAccountsPerToolThroughTheFilesQuoting)
{
    const Sandbox box;
    const std::string home = QDir::homePath().toStdString();
    const std::string awkward = "Work, \"Inc\" \u00DCn\u00EF";
    {
        const auto settings = box.open();
        settings->setClaudeFolder("/srv/claude-main");
        const QSignalSpy added(settings.get(), &AppSettings::accountsChanged);

        struct Case
        {
            Provider provider;
            std::string name;
            std::filesystem::path folder;
            std::string outcome;  ///< the new id, or why not
        };

        const auto cases = std::to_array<Case>({
            {Provider::claude, awkward, "~/.claude-work", "account-2"},
            {Provider::claude, "Side", "/srv/claude-side/", "side"},
            {Provider::claude, "Main", "/srv/claude-main", "Another Claude account uses /srv/claude-main already."},
            {Provider::openai, "Side", "/srv/claude-side", "side"},
        });
        for (const Case& c : cases) {
            const auto account = settings->addAccount(c.provider, c.name, c.folder);
            EXPECT_EQ(account ? account->id : account.error(), c.outcome) << c.name;
        }
        EXPECT_EQ(added.count(), 3);
        EXPECT_TRUE(settings->removeAccount(Provider::claude, "side"));
        EXPECT_FALSE(settings->removeAccount(Provider::claude, "side"));
        EXPECT_FALSE(settings->removeAccount(Provider::claude, "")) << "the default account stays";
        EXPECT_EQ(added.count(), 4);
        EXPECT_EQ(added.back().front().value<Provider>(), Provider::claude);
    }
    const auto second = box.open();
    EXPECT_EQ(second->accounts(Provider::claude),
              (std::vector<ToolAccount>{{Provider::claude, "", "", {}},
                                        {Provider::claude, "account-2", awkward, home + "/.claude-work"}}));
    EXPECT_EQ(second->accounts(Provider::claude).front().title(), "Claude");
    EXPECT_EQ(second->accounts(Provider::openai).back().title(), "OpenAI \u00B7 Side");
    EXPECT_EQ(box.stored("claudeAccounts/1/name").toString().toStdString(), awkward) << "read past AppSettings";
}

TEST(AppSettings, TheFirstNormalLaunchTurnsTheLoginItemOnOnceAndOnlyOnce)
{
    const Sandbox box;
    {
        const auto settings = box.open();
        settings->applyFirstLaunchDefaults();
        EXPECT_TRUE(settings->configuredLoginItem());
        EXPECT_TRUE(LoginItem(box.entry, "/usr/bin/ostrel").isEnabled());
        settings->setLaunchAtLogin(false);
        EXPECT_FALSE(fs::exists(box.entry));
    }
    const auto second = box.open();
    second->applyFirstLaunchDefaults();
    EXPECT_FALSE(second->launchAtLogin()) << "the user's choice stands";
    EXPECT_FALSE(fs::exists(box.entry));
}

}  // namespace
}  // namespace ostrel
