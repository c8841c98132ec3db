#include "model/ToolAccount.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ToolAccount, MakesAnIdFromTheNameThatNoOtherAccountOfTheToolHas)
{
    struct Case
    {
        std::string_view name;
        std::vector<std::string> taken;
        std::string_view id;
    };

    const auto cases = std::to_array<Case>({
        {"Work", {}, "work"},
        {"Home 2", {}, "home-2"},
        {"  --Side   Project!! ", {}, "side-project"},
        {"Caf\u00E9 Cr\u00E8me", {"work"}, "account-3"},
        {"--", {}, "account-2"},
        {"Work", {"work"}, "work-2"},
        {"work", {"work", "work-2"}, "work-3"},
        {"\u00DCn\u00EF", {}, "account-2"},
        {"\u00DCn\u00EF", {"work", "account-3"}, "account-4"},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string id = accountId(c.name, c.taken);
        EXPECT_EQ(id, c.id);
        EXPECT_TRUE(isAccountId(id));
    }
    for (const std::string_view refused : {"", "Work", "work 2", "w\u00F6rk"}) {
        EXPECT_FALSE(isAccountId(refused)) << refused;
    }
}

}  // namespace
}  // namespace ostrel
