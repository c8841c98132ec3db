#include "readers/AccountList.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

const std::string home = "/home/ann";

[[nodiscard]] ToolAccount account(std::string id, std::string name, std::string folder)
{
    return {Provider::claude, std::move(id), std::move(name), std::move(folder)};
}

TEST(AccountList, AddsAnAccountOnlyWithANameAFolderOfItsOwnAndRoomLeft)
{
    const std::vector<ToolAccount> two{account("work", "Work", "/home/ann/.claude-work"),
                                       account("home", "Home", "/srv/claude-home")};
    const std::vector<ToolAccount> three{two[0], two[1], account("side", "Side", "/home/ann/.claude-side")};

    struct Case
    {
        std::string_view name;
        std::vector<ToolAccount> named;
        std::string_view accountName;
        std::string_view folder;
        std::expected<ToolAccount, std::string> added;
    };

    const auto cases = std::to_array<Case>({
        {"a third named account",
         two,
         " Work 2 ",
         "~/.claude-w2/",
         account("work-2", "Work 2", "/home/ann/.claude-w2")},
        {"a blank name", two, " \t", "/x", std::unexpected("Give the account a name.")},
        {"no room past four",
         three,
         "Fifth",
         "/x",
         std::unexpected("Claude has 4 accounts already, as many as Ostrel shows.")},
        {"a name taken", two, "Home", "/x", std::unexpected("Another Claude account is called Home already.")},
        {"a relative folder",
         two,
         "New",
         "claude-new",
         std::unexpected("Choose the account's folder: a full path, or one starting with ~/.")},
        {"another account's folder",
         two,
         "New",
         "/srv//claude-home/",
         std::unexpected("Another Claude account uses /srv/claude-home already.")},
        {"the default account's folder",
         {},
         "New",
         "~/.claude",
         std::unexpected("Another Claude account uses /home/ann/.claude already.")},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AccountList::add(Provider::claude, c.named, c.accountName, c.folder, "/home/ann/.claude", home),
                  c.added);
    }
}

TEST(AccountList, PassesOverEntriesThatMakeNoAccount)
{
    using Entry = AccountList::Entry;

    struct Case
    {
        std::string_view name;
        std::vector<Entry> entries;
        std::vector<ToolAccount> named;
    };

    const auto cases = std::to_array<Case>({
        {"written by hand, without ids",
         {{"", " Work ", "~/.claude-work"}, {"", "Work", "/w/"}},
         {account("work", "Work", "/home/ann/.claude-work"), account("work-2", "Work", "/w")}},
        {"an id that is another's or malformed is made anew",
         {{"a", "A", "/a"}, {"a", "B", "/b"}, {"C!", "C", "/c"}},
         {account("a", "A", "/a"), account("b", "B", "/b"), account("c", "C", "/c")}},
        {"no name, a relative folder, a folder twice",
         {{"a", " ", "/a"}, {"b", "B", "b"}, {"c", "C", "/c"}, {"d", "D", "/c/"}},
         {account("c", "C", "/c")}},
        {"past the limit",
         {{"", "A", "/a"}, {"", "B", "/b"}, {"", "C", "/c"}, {"", "D", "/d"}},
         {account("a", "A", "/a"), account("b", "B", "/b"), account("c", "C", "/c")}},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(AccountList::decode(Provider::claude, c.entries, home), c.named);
    }
}

}  // namespace
}  // namespace ostrel
