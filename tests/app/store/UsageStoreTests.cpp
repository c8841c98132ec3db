#include "store/UsageStore.h"

#include <array>
#include <atomic>
#include <chrono>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string_view>
#include <thread>
#include <tuple>

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "readers/DateParsing.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/SessionLogs.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using testing::optionsFor;
using testing::readingOf;
using testing::Script;
using testing::spinFor;
using testing::spinUntil;

class UsageStoreTest : public ::testing::Test
{
protected:
    /// Runs one refresh of `providers` and waits until every result is recorded.
    static void refreshAndSettle(UsageStore& store, const std::vector<Provider>& providers)
    {
        store.refresh(providers);
        ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    QTemporaryDir data;
    std::shared_ptr<Script> script = std::make_shared<Script>();
};

TEST(UsageStoreRetry, DoublesFromFiveMinutesAndNeverExceedsTheInterval)
{
    struct Case
    {
        std::string_view name;
        int failures;
        int intervalMinutes;
        double seconds;
    };

    constexpr auto cases = std::to_array<Case>({
        {"the first failure waits five minutes", 1, 60, 300},
        {"the fifth is capped at the hour's interval", 5, 60, 3600},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_DOUBLE_EQ(RetrySchedule::delay(c.failures, c.intervalMinutes), c.seconds);
    }
}

TEST_F(UsageStoreTest, AFailureKeepsTheLastReadingAndEveryResultIsSaved)
{
    const std::filesystem::path folder = data.path().toStdString();
    {
        UsageStore store(settings, optionsFor(script, folder));
        script->add(Provider::openai, readingOf(Provider::openai, 42));
        refreshAndSettle(store, {Provider::openai});
        script->advance(120);
        script->add(Provider::openai, std::unexpected(FetchFailure::unreachable("offline")));
        refreshAndSettle(store, {Provider::openai});

        const ProviderSnapshot& snapshot = store.snapshots().at(Provider::openai);
        ASSERT_TRUE(snapshot.lastReading.has_value());
        EXPECT_EQ(snapshot.lastReading->weekly->usedPercent, 42);
    }
    // A new store (the next launch) starts from what was saved.
    UsageStore reloaded(settings, optionsFor(script, folder));
    EXPECT_EQ(reloaded.snapshots().at(Provider::openai).lastFailure, FetchFailure::unreachable("offline"));
    EXPECT_EQ(reloaded.history().at(Provider::openai).size(), 1U);
}

TEST_F(UsageStoreTest, TwoWritersTakingTurnsAtRandomLoseNothingAndLeaveAValidFile)
{
    // Two runs over one data folder, as the app and a refresh from cron are.
    const std::filesystem::path folder = data.path().toStdString();
    std::array<std::unique_ptr<UsageStore>, 2> writers;
    for (auto& writer : writers) {
        writer = std::make_unique<UsageStore>(settings, optionsFor(script, folder));
    }
    std::mt19937 random(20261207);
    std::map<Provider, std::vector<AllowancePoint>> points;
    std::map<Provider, ProviderSnapshot> last;
    for (int step = 0; step < 300; ++step) {
        SCOPED_TRACE(step);
        UsageStore& writer = *writers.at(random() % writers.size());
        const Provider provider = allProviders.at(random() % allProviders.size());
        script->advance(60);
        FetchResult result = std::unexpected(FetchFailure::unreachable("offline"));
        if (random() % 4 != 0) {
            result = readingOf(provider, step % 100);
            result->fetchedAt = dateFromSince1970(script->now);
            points[provider].push_back({result->fetchedAt, result->weekly->usedPercent, result->weekly->resetsAt});
        }
        last[provider].record(result, dateFromSince1970(script->now));
        script->add(provider, result);
        refreshAndSettle(writer, {provider});

        const auto saved = ReadingsFile::read(ReadingsFile::filePath(folder));
        ASSERT_TRUE(saved.has_value()) << saved.error().detail;
        for (const auto& [recorded, snapshot] : last) {
            ASSERT_EQ(saved->snapshots.at(recorded), snapshot);
            ASSERT_EQ(saved->history.contains(recorded) ? saved->history.at(recorded) : std::vector<AllowancePoint>{},
                      points[recorded]);
        }
    }
}

TEST_F(UsageStoreTest, TellsOncePerRunWhenTheReadingsCannotBeKept)
{
    // A file where the data folder belongs: no folder can hold the readings.
    const std::filesystem::path folder = std::filesystem::path(data.path().toStdString()) / "Ostrel";
    std::ofstream(folder) << "not readings";
    UsageStore store(settings, optionsFor(script, folder));
    std::vector<QString> told;
    QObject::connect(&store, &UsageStore::readingsNotKept, [&](const QString& text) { told.push_back(text); });
    store.start();
    ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
    refreshAndSettle(store, {Provider::openai});
    ASSERT_EQ(told.size(), 1U);
    EXPECT_TRUE(told.front().contains(QStringLiteral("the readings of this session will be lost when it quits")));
}

TEST_F(UsageStoreTest, StaleChecksReadOnlyProvidersAttemptedLongerAgoThanTheirAge)
{
    UsageStore store(settings, optionsFor(script));
    script->add(Provider::claude, readingOf(Provider::claude, 10));
    refreshAndSettle(store, {Provider::claude});

    // The panel opens with 60 s; OpenAI, never attempted, is read at the first opening.
    for (const int later : {60, 1}) {
        script->add(Provider::claude, readingOf(Provider::claude, 10));
        script->advance(later);
        store.refreshIfStale(60);
        ASSERT_TRUE(spinUntil([&] { return store.refreshing().empty(); }));
        EXPECT_EQ(script->readsOf(Provider::claude), later == 60 ? 1 : 2) << "exactly a minute is not stale yet";
    }
}

TEST_F(UsageStoreTest, GoingAwayEndsAHungReadingAtOnce)
{
    UsageStore::Options options = optionsFor(script);
    auto stopped = std::make_shared<std::atomic<bool>>(false);
    options.readers.read = [stopped](Provider, const ToolChoice&, Date) -> FetchResult {
        // A reader that only its stop ends, or its own time-out of half a minute.
        for (int waited = 0; !*stopped && waited < 3000; ++waited) {
            std::this_thread::sleep_for(10ms);
        }
        return std::unexpected(FetchFailure::unreachable("stopped"));
    };
    options.readers.stop = [stopped] {
        *stopped = true;
    };
    QElapsedTimer timer;
    {
        UsageStore store(settings, std::move(options));
        store.refresh();
        ASSERT_EQ(store.refreshing().size(), 2U);
        spinFor(50ms);
        timer.start();
    }
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(UsageStoreTest, EachAccountsActivityComesFromItsOwnFolderAndTheToolsTotalAddsThemUp)
{
    const std::filesystem::path home = data.path().toStdString();
    const Date now = DateParsing::iso8601("2026-12-01T12:00:00Z").value_or(Date{});
    testing::putLog(home / ".claude" / "projects" / "p" / "a.jsonl",
                    testing::claudeLogLine("msg_A", "2026-12-01T11:50:00Z", 5),
                    now - Seconds{60});
    testing::putLog(home / "work" / "projects" / "p" / "b.jsonl",
                    testing::claudeLogLine("msg_B", "2026-12-01T11:50:00Z", 7),
                    now - Seconds{60});
    settings.setClaudeFolder((home / ".claude").string());
    settings.setOpenaiEnabled(false);
    ASSERT_TRUE(settings.addAccount(Provider::claude, "Work", home / "work"));
    UsageStore::Options options = optionsFor(script);
    options.clock = [now] {
        return now;
    };
    // The real scanner over real logs; nothing is read from the tools.
    options.readers.scan = UsageReaders::live(std::nullopt).scan;
    UsageStore store(settings, std::move(options));

    const auto outputOf = [now](const ProviderActivity* activity) {
        return activity ? std::optional(activity->tokens.total(86400, now).output) : std::nullopt;
    };
    const auto scanned = [&] {
        const std::optional<ProviderActivity> total = store.activity().total(Provider::claude);
        return std::tuple(outputOf(store.activity().of({Provider::claude, ""})),
                          outputOf(store.activity().of({Provider::claude, "work"})),
                          outputOf(total ? &*total : nullptr));
    };
    store.refreshActivity(0);
    ASSERT_TRUE(spinUntil([&] { return store.lastActivityScan().has_value(); }));
    EXPECT_EQ(
        scanned(),
        std::tuple(std::optional<std::int64_t>(5), std::optional<std::int64_t>(7), std::optional<std::int64_t>(12)));

    ASSERT_TRUE(settings.removeAccount(Provider::claude, "work"));
    store.followAccounts(Provider::claude);
    ASSERT_TRUE(spinUntil([&] { return !store.scanningActivity(); }));
    EXPECT_EQ(scanned(),
              std::tuple(std::optional<std::int64_t>(5), std::optional<std::int64_t>(), std::optional<std::int64_t>(5)))
        << "a removed account's activity leaves with it";
}

TEST_F(UsageStoreTest, DemonstrationTouchesNoReaderScannerOrFile)
{
    const std::filesystem::path folder = data.path().toStdString();
    UsageStore::Options options = optionsFor(script, folder);
    options.demo = true;
    UsageStore store(settings, std::move(options));
    store.start();
    store.refresh();
    store.refreshIfStale(0);
    store.refreshActivity(0);
    QFuture<void> done = store.refreshAndWait();
    spinFor(100ms);
    EXPECT_TRUE(done.isFinished());
    EXPECT_EQ(script->readsOf(Provider::claude) + script->readsOf(Provider::openai) + script->scans, 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "the user's readings stay as they were";
}

}  // namespace
}  // namespace ostrel
