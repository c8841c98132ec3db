#include "platform/LoginItem.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include <QTemporaryDir>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/Matchers.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using ostrel::testing::FailsMatching;
using ::testing::AllOf;
using ::testing::Field;
using ::testing::HasSubstr;

[[nodiscard]] std::string contents(const fs::path& file)
{
    const std::ifstream stream(file);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

void put(const fs::path& file, std::string_view text)
{
    std::ofstream(file) << text;
}

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
    put(box.entry, "[Desktop Entry]\nExec=/old/ostrel\nHidden=true\n");
    EXPECT_FALSE(box.item.isEnabled());
    ASSERT_TRUE(box.item.enable().has_value());
    EXPECT_TRUE(box.item.isEnabled());
    EXPECT_THAT(contents(box.entry),
                AllOf(HasSubstr("[Desktop Entry]\n"),
                      HasSubstr("\nType=Application\n"),
                      HasSubstr("\nIcon=ostrel\n"),
                      HasSubstr("\nExec=\"/opt/Ostrel Tools/ostrel\"\n")));
    EXPECT_EQ(fs::status(box.entry).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(std::distance(fs::directory_iterator(box.entry.parent_path()), fs::directory_iterator()), 1)
        << "no temporary file is left beside the entry";

    ASSERT_TRUE(box.item.disable().has_value());
    EXPECT_FALSE(fs::exists(box.entry));
    EXPECT_FALSE(box.item.isEnabled());
    EXPECT_TRUE(box.item.disable().has_value()) << "an entry that is already gone is no failure";
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
        {"hidden with blanks around the sign", "[Desktop Entry]\r\nHidden = true\r\n", false},
        {"switched off by the GNOME session", "[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
        {"hidden only in an action group", "[Desktop Entry]\nExec=ostrel\n[Desktop Action x]\nHidden=true\n", true},
        {"a localised key is another key", "[Desktop Entry]\nHidden[de]=true\n", true},
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
        {R"(/opt/"q"/ostrel)", R"("/opt/\\"q\\"/ostrel")"},
        {"/opt/$HOME`x`/ostrel", R"("/opt/\\$HOME\\`x\\`/ostrel")"},
        {R"(/opt/back\slash)", R"("/opt/back\\\\slash")"},
        {"/opt/100%/ostrel", R"("/opt/100%%/ostrel")"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(LoginItem::execArgument(c.path), c.exec);
    }
}

TEST(LoginItem, FailuresSayWhatCouldNotBeDoneAndWhy)
{
    const Sandbox box;
    // Permissions do not stop root, so a file where the autostart folder's parent
    // should be forces the failure for any user.
    put(box.root / "config", "not a folder");
    EXPECT_THAT(box.item.enable(),
                FailsMatching(AllOf(
                    Field(&LoginItemFailure::kind, LoginItemFailure::Kind::cannotCreateFolder),
                    Field(&LoginItemFailure::description,
                          "Cannot create the folder " + box.entry.parent_path().string() + ": Not a directory"))));

    fs::remove(box.root / "config");
    fs::create_directories(box.entry / "occupied");
    EXPECT_FALSE(box.item.isEnabled()) << "a folder in the entry's place is off";
    EXPECT_THAT(box.item.enable(),
                FailsMatching(AllOf(
                    Field(&LoginItemFailure::kind, LoginItemFailure::Kind::cannotWrite),
                    Field(&LoginItemFailure::description, HasSubstr("Cannot write " + box.entry.string() + ": ")))));
    EXPECT_THAT(box.item.disable(),
                FailsMatching(AllOf(Field(&LoginItemFailure::kind, LoginItemFailure::Kind::cannotRemove),
                                    Field(&LoginItemFailure::description,
                                          "Cannot remove " + box.entry.string() + ": Directory not empty"))));
}

}  // namespace
}  // namespace ostrel
