#include "settings/AppSettings.h"

#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include <QSettings>
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
    EXPECT_EQ(settings->refreshMinutes(), 60);
    EXPECT_TRUE(settings->morningReport());
    EXPECT_EQ(settings->enabledProviders(), (std::vector{Provider::claude, Provider::openai}));
    EXPECT_FALSE(fs::exists(box.root / "config")) << "defaults live in code, never in the file";
}

TEST(AppSettings, NeverOpensAnythingButARegularFileInTheFilesPlace)
{
    struct Case
    {
        std::string_view name;
        bool fifo;  ///< else a folder
    };

    constexpr auto cases = std::to_array<Case>({{"a FIFO, which would block the open", true}, {"a folder", false}});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Sandbox box;
        const fs::path file = box.folder / AppSettings::fileName;
        fs::create_directories(c.fifo ? box.folder : file);
        ASSERT_TRUE(!c.fifo || ::mkfifo(file.c_str(), 0600) == 0);
        const auto settings = box.open();
        EXPECT_EQ(settings->refreshMinutes(), 60);
        settings->setRefreshMinutes(5);
        EXPECT_EQ(settings->refreshMinutes(), 5) << "kept for the run";
        EXPECT_EQ(fs::status(file).type(), c.fifo ? fs::file_type::fifo : fs::file_type::directory);
    }
}

TEST(AppSettings, EveryAssignmentIsOnDiskBeforeTheNextInstanceReadsIt)
{
    const Sandbox box;
    {
        const auto settings = box.open();
        // Keys of each kind of value: every key goes through the same generic write and read.
        settings->setClaudeEnabled(false);
        settings->setRefreshMinutes(15);
        settings->setTrayStyle(TrayStyle::stacked);
        settings->setClaudePath("/opt/claude, the tool");
        settings->setMorningReport(false);
        settings->setLastMorningReport("2026-03-09");
        // Read while the first instance is still alive: nothing waits for its destructor.
        EXPECT_EQ(box.stored("menuBarStyle").toString(), QLatin1String("stacked"));

        const auto second = box.open();
        EXPECT_EQ(second->enabledProviders(), std::vector{Provider::openai});
        EXPECT_EQ(second->refreshMinutes(), 15);
        EXPECT_EQ(second->trayStyle(), TrayStyle::stacked);
        EXPECT_EQ(second->claudePath(), "/opt/claude, the tool");
        EXPECT_FALSE(second->morningReport());
        EXPECT_EQ(second->lastMorningReport(), "2026-03-09");
    }
    EXPECT_EQ(fs::status(box.folder).permissions(), fs::perms::owner_all);
    EXPECT_EQ(fs::status(box.folder / AppSettings::fileName).permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(AppSettings, AssigningTheSameValueWritesTheKeyButNotifiesNobody)
{
    const Sandbox box;
    const auto settings = box.open();
    int notified = 0;
    QObject::connect(settings.get(), &AppSettings::changed, [&notified] { ++notified; });
    int styles = 0;
    QObject::connect(settings.get(), &AppSettings::trayStyleChanged, [&styles](TrayStyle) { ++styles; });

    settings->setTrayStyle(TrayStyle::cells);
    EXPECT_EQ(box.stored("menuBarStyle").toString(), QLatin1String("bars"));
    EXPECT_EQ(notified, 0);

    settings->setTrayStyle(TrayStyle::cellsAndPercent);
    EXPECT_EQ(styles, 1);
    EXPECT_EQ(notified, 1);
}

TEST(AppSettings, StoredValuesThatNameNoChoiceFallBackToTheDefaults)
{
    const Sandbox box;
    box.writeFile("[General]\n"
                  "claudeEnabled=maybe\n"
                  "openaiEnabled=FALSE\n"
                  "refreshMinutes=often\n"
                  "menuBarStyle=Bars\n"
                  "trayIcon=dark\n"
                  "morningReport=0\n"
                  "claudePath=/opt/a,b/claude\n"
                  "popoverTab=Usage\n"
                  "activityRange=30 days\n"
                  "activityMeasure=\n");
    const auto settings = box.open();
    EXPECT_TRUE(settings->claudeEnabled()) << "not a boolean";
    EXPECT_FALSE(settings->openaiEnabled());
    EXPECT_EQ(settings->refreshMinutes(), 60);
    EXPECT_EQ(settings->trayStyle(), TrayStyle::cells);
    EXPECT_EQ(settings->trayIconMode(), TrayIconMode::automatic);
    EXPECT_FALSE(settings->morningReport());
    EXPECT_EQ(settings->claudePath(), "/opt/a,b/claude") << "an unquoted comma is part of the path";
    EXPECT_EQ(settings->panelTab(), PanelTab::pace);
    EXPECT_EQ(settings->activityRange(), ActivityRange::day);
    EXPECT_EQ(settings->activityMeasure(), ActivityMeasure::all);
}

TEST(AppSettings, ARefreshIntervalBelowOneMinuteCountsAsAnHourButStaysStored)
{
    const Sandbox box;

    struct Case
    {
        std::string_view name;
        int stored;
        int inEffect;
    };

    constexpr auto cases = std::to_array<Case>({
        {"zero would fire continuously", 0, 60},
        {"one minute is kept", 1, 1},
        {"beyond what a timer holds", 100000000, AppSettings::longestRefreshMinutes},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        box.open()->setRefreshMinutes(c.stored);
        const auto settings = box.open();
        EXPECT_EQ(settings->refreshMinutes(), c.inEffect);
        EXPECT_EQ(settings->storedRefreshMinutes(), c.stored);
        EXPECT_EQ(box.stored("refreshMinutes").toInt(), c.stored);
    }
}

TEST(AppSettings, APathOverrideOfOnlyBlanksIsNoneAndAnyOtherIsTheTextAsStored)
{
    const Sandbox box;

    struct Case
    {
        std::string_view name;
        std::string path;
        std::optional<std::string> override;
    };

    const auto cases = std::to_array<Case>({
        {"empty", "", std::nullopt},
        {"blanks and tabs", " \t\t ", std::nullopt},
        {"a leading blank is kept", " /opt/tool", " /opt/tool"},
        {"a newline is not a blank", "\n", "\n"},
    });
    const auto settings = box.open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings->setClaudePath(c.path);
        settings->setCodexPath("/x/" + c.path);
        EXPECT_EQ(settings->pathOverride(Provider::claude), c.override);
        EXPECT_EQ(settings->pathOverride(Provider::openai), "/x/" + c.path);
    }
}

TEST(AppSettings, TheFirstNormalLaunchTurnsTheLoginItemOnOnceAndOnlyOnce)
{
    const Sandbox box;
    {
        const auto settings = box.open();
        settings->applyFirstLaunchDefaults();
        EXPECT_TRUE(settings->configuredLoginItem());
        EXPECT_TRUE(settings->launchAtLogin());
        EXPECT_TRUE(LoginItem(box.entry, "/usr/bin/ostrel").isEnabled());
        EXPECT_EQ(box.stored("configuredLoginItem").toString(), QLatin1String("true"));
        settings->setLaunchAtLogin(false);
        EXPECT_FALSE(fs::exists(box.entry));
    }
    const auto second = box.open();
    second->applyFirstLaunchDefaults();
    EXPECT_FALSE(second->launchAtLogin()) << "the user's choice stands";
    EXPECT_FALSE(fs::exists(box.entry));
    EXPECT_EQ(second->launchAtLoginError(), std::nullopt);
}

TEST(AppSettings, AFailedLoginItemChangeKeepsTheRequestAndItsReasonUntilRestart)
{
    const Sandbox box;
    fs::create_directories(box.root);
    std::ofstream(box.root / "config") << "a file where the config folder belongs";
    const auto settings = box.open();
    int errors = 0;
    QObject::connect(settings.get(), &AppSettings::launchAtLoginErrorChanged, [&errors] { ++errors; });

    settings->setLaunchAtLogin(true);
    EXPECT_TRUE(settings->launchAtLogin());
    EXPECT_TRUE(settings->launchAtLoginError().has_value());
    EXPECT_EQ(errors, 1);

    settings->setLaunchAtLogin(false);
    EXPECT_FALSE(settings->launchAtLogin());
    EXPECT_TRUE(settings->launchAtLoginError().has_value()) << "a success does not clear it";
}

}  // namespace
}  // namespace ostrel
