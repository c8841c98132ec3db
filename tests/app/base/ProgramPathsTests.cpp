#include "base/ProgramPaths.h"

#include <array>
#include <filesystem>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

namespace fs = std::filesystem;

TEST(ProgramPaths, QuotesACommandForTheShell)
{
    constexpr auto cases = std::to_array<std::pair<std::string_view, std::string_view>>({
        {"/home/a b/.local/bin/ostrel", "'/home/a b/.local/bin/ostrel'"},
        {"/home/it's/ostrel", "'/home/it'\\''s/ostrel'"},
    });
    for (const auto& [path, word] : cases) {
        SCOPED_TRACE(path);
        EXPECT_EQ(ProgramPaths::shellWord(fs::path(path)), word);
    }
}

}  // namespace
}  // namespace ostrel
