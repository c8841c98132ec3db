#include "report/AlertNotifier.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string_view>

#include <gtest/gtest.h>

#include "model/AlertStateFile.h"
#include "model/ReadingsFile.h"
#include "platform/DesktopNotifier.h"
#include "readers/ClaudeStatusLine.h"
#include "store/UsageStore.h"
#include "support/EventLoop.h"
#include "support/FileBytes.h"
#include "support/NotificationService.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"
#include "support/TemporaryFolder.h"

namespace ostrel {
namespace {

// Which alerts fire when is the AlertRules suite's; here, that they reach the
// notification service with their urgency and actions, that the kept file
// carries across a restart, and what the user's choice of an action does.
namespace fs = std::filesystem;
using testing::spinFor;
using testing::spinUntil;

const Date start = dateFromSince1970(1'800'000'000);

class AlertNotifierTest : public testing::NotificationServiceTest
{
public:
    /// Claude's reading at `hours` from the start: the week 10 % used, the session `sessionUsed`.
    void read(double hours, double sessionUsed)
    {
        now = start + Seconds{hours * 3600};
        ReadingsFile::record(
            saved,
            Provider::claude,
            ProviderReading{.fetchedAt = now,
                            .weekly = UsageWindow{10, start + Seconds{100 * 3600}},
                            .session = UsageWindow{sessionUsed, start + Seconds{4.5 * 3600}, UsageWindow::fiveHours},
                            .source = "usage API"},
            now);
    }

    std::unique_ptr<AlertNotifier> started()
    {
        return started(notifier, AlertStateFile::filePath(folder.path()));
    }

    std::unique_ptr<AlertNotifier> started(DesktopNotifier& to, std::optional<fs::path> stateFile)
    {
        auto made = std::make_unique<AlertNotifier>(
            AlertNotifier::Hooks{.displays =
                                     [this](Date at) {
                                         std::vector displays{ProviderDisplay::make(saved.snapshots[Provider::claude],
                                                                                    Provider::claude,
                                                                                    at,
                                                                                    ProviderDisplay::staleAfterFor(15),
                                                                                    saved.history[Provider::claude])};
                                         displays[0].accountId = accountId;
                                         displays[0].accountName = accountId.empty() ? "" : "Work";
                                         return displays;
                                     },
                                 .now = [this] { return now; },
                                 .openPanel = [this] { ++panelsOpened; },
                                 .tools = [this] { return tools; },
                                 .accountFolder =
                                     [](const AccountKey& key) {
                                         return fs::path("/srv/claude-" + key.id);
                                     }},
            std::move(stateFile),
            to);
        made->start();
        return made;
    }

    testing::TemporaryFolder folder;
    DesktopNotifier notifier;
    Saved saved;
    std::string accountId;  ///< whose readings `saved` holds: empty for the default account, else "Work"'s
    Date now = start;
    int panelsOpened = 0;
    UsageReaders::FoundTools tools{
        {Provider::claude, {"/opt/claude/bin/claude", {Provider::claude, "/srv/claude", ToolFolder::Source::settings}}},
        {Provider::openai, {"/opt/codex/bin/codex", {Provider::openai, "/srv/codex", ToolFolder::Source::settings}}},
    };
};

/// The keys of an actions list as sent (a key, then its label), ' ' between.
std::string keysOf(const QStringList& actions)
{
    QStringList keys;
    for (qsizetype index = 0; index < actions.size(); index += 2) {
        keys.append(actions[index]);
    }
    return keys.join(u' ').toStdString();
}

TEST_F(AlertNotifierTest, PostsEachAlertOnceWithItsUrgencyAcrossARestart)
{
    struct Step
    {
        std::string_view name;
        double hours;
        double sessionUsed;
        bool restart;
        std::size_t calls;  ///< posted so far
    };

    constexpr auto steps = std::to_array<Step>({
        {"the first look records without sending", 0, 10, false, 0},
        {"within 3 hours: a normal alert", 1, 45, false, 1},
        {"the same reading after a restart sends nothing", 1.1, 45, true, 1},
        {"within the hour: a critical alert", 2, 75, false, 2},
    });
    auto alerts = started();
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        read(step.hours, step.sessionUsed);
        if (step.restart) {
            alerts = started();
        }
        alerts->check();
        EXPECT_TRUE(spinUntil([&] { return service.calls().size() >= step.calls; }));
    }
    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 2U);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Claude's session runs out within 3 hours"));
    EXPECT_EQ(calls[0].urgency, 1);
    EXPECT_EQ(calls[1].summary, QStringLiteral("Claude's session runs out within the hour"));
    EXPECT_EQ(calls[1].body,
              QStringLiteral("At this pace the session runs out in about 50 min, 2 h before it renews."));
    EXPECT_EQ(calls[1].urgency, 2);
}

TEST_F(AlertNotifierTest, AStatusLineFigurePassingTheThresholdAlertsOnceAndOnlyWhatIsSwitchedOn)
{
    testing::TempSettings temp;
    temp.settings.setAlertOn(AlertTopic::runsOut, false);
    const auto script = std::make_shared<testing::Script>();
    UsageStore store(temp.settings, testing::optionsFor(script, folder.path()));
    AlertNotifier::Hooks hooks{.displays = [&store](Date at) {
        return std::vector{store.display(Provider::claude, at)};
    }};
    hooks.threshold = [&temp] {
        return static_cast<double>(temp.settings.alertThresholdPercent());
    };
    hooks.sends = [&temp](AlertTopic topic) {
        return temp.settings.alertOn(topic);
    };
    hooks.now = [&script] {
        return dateFromSince1970(script->now);
    };
    AlertNotifier alerts(std::move(hooks), AlertStateFile::filePath(folder.path()), notifier);
    alerts.start();
    QObject::connect(&store, &UsageStore::changed, &alerts, &AlertNotifier::check);
    store.start();

    // Claude Code's figures as its status line hands them over, ten minutes apart: the session at 85 %, 92 %, 93 %,
    // renewing two hours from the start, which at that pace runs out before (switched off here).
    const Date renewal = dateFromSince1970(script->now) + Seconds{7200};
    for (const double used : {85.0, 92.0, 93.0}) {
        script->advance(600);
        const Date at = dateFromSince1970(script->now);
        ASSERT_TRUE(ClaudeStatusLine::leave(folder.path(),
                                            {.receivedAt = at,
                                             .weekly = UsageWindow{10, renewal + Seconds{4 * 86400}, UsageWindow::week},
                                             .session = UsageWindow{used, renewal, UsageWindow::fiveHours}}));
        ASSERT_TRUE(spinUntil([&store, used] {
            const auto& snapshots = store.snapshots();
            const auto claude = snapshots.find(Provider::claude);
            return claude != snapshots.end() && claude->second.lastReading && claude->second.lastReading->session
                   && claude->second.lastReading->session->usedPercent == used;
        }));
    }
    spinFor(std::chrono::milliseconds(200));
    const auto calls = service.calls();
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Claude's session passed 90% used"));
    const auto kept = AlertStateFile::load(AlertStateFile::filePath(folder.path()));
    ASSERT_TRUE(kept);
    const auto& session = kept->providers.at(0).windows;
    EXPECT_TRUE(std::ranges::any_of(session, [](const WindowAlertState& window) {
        return std::ranges::any_of(window.fired, [](const FiredAlert& fired) {
            return fired.kind == AlertKind::runsOutWithinHour && !fired.delivered;
        });
    })) << "met, kept as not sent";
}

TEST_F(AlertNotifierTest, OffersActionsWhereTheServerShowsThemAndAnswersOnlyItsOwn)
{
    struct Row
    {
        std::string_view name;
        bool serverShowsActions;
        bool signsOut;             ///< the alert: Claude signed out, else its session running out within 3 hours
        std::string_view offered;  ///< the keys, ' ' between
        std::string_view chosen;   ///< the key the user picks; empty: none
        uint notification;         ///< the id the server names; 0 for the alert's own
        bool closedFirst;          ///< the server closed the alert before the choice came
        int panelsOpened;
        std::string_view ran;        ///< the terminal's arguments; empty: no terminal
        std::string_view account{};  ///< whose alert: empty for Claude's default account
    };

    // clang-format off
    constexpr auto rows = std::to_array<Row>({
        {"a server with actions", true, false, "default open-panel", "", 0, false, 0, ""},
        {"a signed-out alert", true, true, "default open-panel sign-in", "", 0, false, 0, ""},
        {"a server without actions", false, true, "", "", 0, false, 0, ""},
        {"a click on the alert", true, false, "default open-panel", "default", 0, false, 1, ""},
        {"Open panel", true, true, "default open-panel sign-in", "open-panel", 0, false, 1, ""},
        {"Sign in", true, true, "default open-panel sign-in", "sign-in", 0, false, 0,
         "4\n-e\n/opt/claude/bin/claude\nauth\nlogin\n"},
        {"Sign in to a named account", true, true, "default open-panel sign-in", "sign-in", 0, false, 0,
         "4\n-e\n/opt/claude/bin/claude\nauth\nlogin\n", "work"},
        {"another program's notification", true, false, "default open-panel", "open-panel", 99, false, 0, ""},
        {"a notification the server closed", true, false, "default open-panel", "open-panel", 0, true, 0, ""},
    });
    // clang-format on
    const fs::path record = folder.path() / "terminal";
    qputenv("TERMINAL", OSTREL_FIXTURES_DIR "/bin/fake-terminal");
    qputenv("FAKE_TERMINAL_RECORD", record.c_str());
    qputenv("FAKE_TERMINAL_STAY", "0");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        service.offersActions = row.serverShowsActions;
        DesktopNotifier rowNotifier;  // each asks the server once
        saved = {};
        accountId = row.account;
        panelsOpened = 0;
        fs::remove(record);
        read(0, 10);
        auto alerts = started(rowNotifier, std::nullopt);
        alerts->check();
        if (row.signsOut) {
            now = start + Seconds{3600};
            ReadingsFile::record(saved, Provider::claude, std::unexpected(FetchFailure::notLoggedIn()), now);
        } else {
            read(1, 45);
        }
        const auto id = static_cast<uint>(service.calls().size() + 1);
        alerts->check();
        ASSERT_TRUE(spinUntil([&] { return service.calls().size() == id; }));
        EXPECT_EQ(keysOf(service.calls().back().actions), row.offered);
        if (row.closedFirst) {
            signal(id, {});
        }
        if (!row.chosen.empty()) {
            signal(row.notification == 0 ? id : row.notification,
                   QString::fromUtf8(row.chosen.data(), static_cast<qsizetype>(row.chosen.size())));
        }
        if (row.ran.empty()) {
            testing::spinFor(std::chrono::milliseconds(300));
            EXPECT_FALSE(fs::exists(record));
        } else {
            ASSERT_TRUE(spinUntil([&] { return fs::exists(record); }));
            const std::string content = testing::contents(record);
            EXPECT_TRUE(content.starts_with(row.ran)) << content;
            EXPECT_TRUE(content.contains(row.account.empty() ? "CLAUDE_CONFIG_DIR=/srv/claude\n"
                                                             : "CLAUDE_CONFIG_DIR=/srv/claude-work\n"))
                << content;
            EXPECT_TRUE(content.contains("PATH starts with /opt/claude/bin\n")) << content;
        }
        EXPECT_EQ(panelsOpened, row.panelsOpened);
    }
    qunsetenv("TERMINAL");
    qunsetenv("FAKE_TERMINAL_RECORD");
    qunsetenv("FAKE_TERMINAL_STAY");
}

}  // namespace
}  // namespace ostrel
