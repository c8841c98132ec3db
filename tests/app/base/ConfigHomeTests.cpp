#include "base/ConfigHome.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ConfigHome, TakesAnAbsoluteXdgFolderAndIgnoresOthers)
{
    EXPECT_EQ(configHome("/x/config", "/home/u"), std::filesystem::path("/x/config"));
    EXPECT_EQ(configHome("relative/config", "/home/u"), std::filesystem::path("/home/u/.config"));
    EXPECT_EQ(configHome("", "/home/u"), std::filesystem::path("/home/u/.config"));
    EXPECT_EQ(configHome(std::nullopt, "/home/u"), std::filesystem::path("/home/u/.config"));
}

}  // namespace
}  // namespace ostrel
