// What makes the store read out of its schedule: a settings change, and a tool's
// sign-in changing on disk.
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "store/CredentialWatch.h"
#include "store/SettingsFollower.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using testing::Script;
namespace fs = std::filesystem;

struct Outcome
{
    int claudeReads = 0;
    int openaiReads = 0;
    int locates = 0;
    int scans = 0;

    bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& o, std::ostream* out)
{
    *out << "claude " << o.claudeReads << ", openai " << o.openaiReads << ", locates " << o.locates << ", scans "
         << o.scans;
}

Outcome settle(UsageStore& store, Script& script)
{
    testing::spinFor(300ms);
    EXPECT_TRUE(testing::spinUntil([&] { return store.refreshing().empty() && !store.scanningActivity(); }));
    return {script.readsOf(Provider::claude), script.readsOf(Provider::openai), script.locates, script.scans};
}

TEST(SettingsFollower, ReadsWhatASettingTurnedOnOrPointedElsewhereOnceTheTypingPauses)
{
    struct Case
    {
        std::string_view name;
        std::function<void(AppSettings&, UsageStore&, Script&)> change;
        Outcome expected;
    };

    const auto cases = std::to_array<Case>({
        {"a provider turned on is read, and both are scanned",
         [](AppSettings& settings, UsageStore&, Script&) { settings.setOpenaiEnabled(true); },
         {0, 1, 0, 2}},
        {"three keys typed into a path: one search, one reading",
         [](AppSettings& settings, UsageStore&, Script&) {
             for (const char* typed : {"/o", "/op", "/opt/claude"}) {
                 settings.setClaudePath(typed);
             }
         },
         {1, 0, 1, 0}},
        {"a folder is also scanned",
         [](AppSettings& settings, UsageStore&, Script&) { settings.setClaudeFolder("/srv/claude"); },
         {1, 0, 1, 1}},
        {"a provider that is off is searched for, not read",
         [](AppSettings& settings, UsageStore&, Script&) { settings.setCodexPath("/opt/codex"); },
         {0, 0, 1, 0}},
        {"a named account added is read and its tool scanned at once, the tool's other account not read",
         [](AppSettings& settings, UsageStore&, Script&) {
             (void)settings.addAccount(Provider::claude, "Work", fs::temp_directory_path() / "claude-work");
         },
         {1, 0, 0, 1}},
        {"a reading in flight with the old path is followed by one with the new",
         [](AppSettings& settings, UsageStore& store, Script& script) {
             script.add(Provider::claude, testing::readingOf(Provider::claude, 10), 400ms);
             store.refresh(std::vector{Provider::claude});
             settings.setClaudePath("/opt/claude");
         },
         {2, 0, 1, 0}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempSettings temp;
        temp.settings.setOpenaiEnabled(false);
        auto script = std::make_shared<Script>();
        UsageStore store(temp.settings, testing::optionsFor(script));
        const SettingsFollower follower(temp.settings, store, 50ms);
        c.change(temp.settings, store, *script);
        EXPECT_EQ(settle(store, *script), c.expected);
    }
}

TEST(CredentialWatch, ReadsAProviderWhoseSignInChangedOnDiskAndNothingElse)
{
    struct Case
    {
        std::string_view name;
        std::function<void(const fs::path& home, UsageStore&, Script&)> change;
        Outcome expected;
    };

    const auto write = [](const fs::path& file, std::string_view text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    };
    const auto cases = std::to_array<Case>({
        {"a first sign-in makes the folder and the file; the tool's named account is not read",
         [&](const fs::path& home, UsageStore&, Script&) { write(home / ".claude/.credentials.json", "{}"); },
         {1, 0, 0, 0}},
        {"a file replaced by a rename",
         [&](const fs::path& home, UsageStore&, Script&) {
             write(home / ".codex/auth.json.new", R"({"tokens":{}})");
             fs::rename(home / ".codex/auth.json.new", home / ".codex/auth.json");
         },
         {0, 1, 0, 0}},
        {"a named account's first sign-in reads that account alone",
         [&](const fs::path& home, UsageStore&, Script&) { write(home / ".claude-work/.credentials.json", "{}"); },
         {1, 0, 0, 0}},
        {"another file in the folder",
         [&](const fs::path& home, UsageStore&, Script&) { write(home / ".codex/history.jsonl", "{}\n"); },
         {0, 0, 0, 0}},
        {"a change while the provider is read is the reading's own",
         [&](const fs::path& home, UsageStore& store, Script& script) {
             script.add(Provider::openai, testing::readingOf(Provider::openai, 10), 400ms);
             store.refresh(std::vector{Provider::openai});
             write(home / ".codex/auth.json", R"({"refreshed":true})");
         },
         {0, 1, 0, 0}},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempSettings temp;
        const QTemporaryDir folder;
        const fs::path home = folder.path().toStdString();
        write(home / ".codex/auth.json", "{}");
        ASSERT_TRUE(temp.settings.addAccount(Provider::claude, "Work", home / ".claude-work"));
        auto script = std::make_shared<Script>();
        script->home = home.string();
        UsageStore store(temp.settings, testing::optionsFor(script));
        const QFuture<void> found = store.detectPaths();
        ASSERT_TRUE(testing::spinUntil([&] { return found.isFinished(); }));
        const CredentialWatch watch(store, 50ms);
        c.change(home, store, *script);
        auto expected = c.expected;
        expected.locates = 1;
        EXPECT_EQ(settle(store, *script), expected);
    }
}

}  // namespace
}  // namespace ostrel
