#include "platform/LoginItem.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/FileBytes.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

/// A throw-away home whose autostart folder does not exist yet.
struct Sandbox
{
    QTemporaryDir temp;
    fs::path root{temp.path().toStdString()};
    fs::path entry = root / "config" / "autostart" / "ostrel.desktop";
    LoginItem item{entry, "/opt/Ostrel Tools/ostrel"};
};

TEST(LoginItem, EnablingWritesAPrivateEntryThatStartsTheExecutableAndDisablingRemovesIt)
{
    const Sandbox box;
    // An entry the desktop has hidden is replaced.
    fs::create_directories(box.entry.parent_path());
    std::ofstream(box.entry) << "[Desktop Entry]\nExec=/old/ostrel\nHidden=true\n";
    EXPECT_FALSE(box.item.isEnabled());
    ASSERT_TRUE(box.item.enable().has_value());
    EXPECT_TRUE(box.item.isEnabled());
    EXPECT_THAT(testing::contents(box.entry), HasSubstr("\nExec=\"/opt/Ostrel Tools/ostrel\"\n"));
    EXPECT_EQ(fs::status(box.entry).permissions(), fs::perms::owner_read | fs::perms::owner_write);

    ASSERT_TRUE(box.item.disable().has_value());
    EXPECT_FALSE(fs::exists(box.entry));
    EXPECT_FALSE(box.item.isEnabled());
}

TEST(LoginItem, AnEntryIsOnUnlessItsMainGroupSwitchesItOff)
{
    struct Case
    {
        std::string_view name;
        std::string_view text;
        bool on;
    };

    constexpr auto cases = std::to_array<Case>({
        {"our own entry", "[Desktop Entry]\nType=Application\nExec=ostrel\n", true},
        {"hidden", "[Desktop Entry]\nExec=ostrel\nHidden=true\n", false},
        {"switched off by the GNOME session", "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
        {"hidden only in an action group", "[Desktop Entry]\nExec=ostrel\n[Desktop Action x]\nHidden=true\n", true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(LoginItem::isSwitchedOn(c.text), c.on);
    }
}

TEST(LoginItem, QuotesTheExecutableSoAnyPathSurvivesTheExecRules)
{
    struct Case
    {
        std::string_view path;
        std::string_view exec;
    };

    constexpr auto cases = std::to_array<Case>({
        {"/opt/my apps/ostrel", R"("/opt/my apps/ostrel")"},
        {"/opt/$HOME`x`/ostrel", R"("/opt/\\$HOME\\`x\\`/ostrel")"},
        {"/opt/100%/ostrel", R"("/opt/100%%/ostrel")"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(LoginItem::execArgument(c.path), c.exec);
    }
}

}  // namespace
}  // namespace ostrel
