#include "posix/ShellWord.h"

#include <array>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ShellWord, LeavesPlainWordsAsTheyAreAndQuotesTheRest)
{
    constexpr auto cases = std::to_array<std::pair<std::string_view, std::string_view>>({
        {"/home/ann/.local/bin/ostrel", "/home/ann/.local/bin/ostrel"},
        {"/home/a b/.local/bin/ostrel", "'/home/a b/.local/bin/ostrel'"},
        {"/home/it's/ostrel", "'/home/it'\\''s/ostrel'"},
        {"/home/ann/$HOME", "'/home/ann/$HOME'"},
        {"", "''"},
    });
    for (const auto& [text, word] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(posix::shellWord(text), word);
    }
}

}  // namespace
}  // namespace ostrel
