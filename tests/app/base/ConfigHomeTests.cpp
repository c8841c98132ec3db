#include "base/ConfigHome.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(ConfigHome, TakesAnAbsoluteXdgFolderAndIgnoresOthers)
{
    EXPECT_EQ(configHome("/x/config", "/home/u"), std::filesystem::path("/x/config"));
    EXPECT_EQ(configHome("relative/config", "/home/u"), std::filesystem::path("/home/u/.config"));
}

}  // namespace
}  // namespace ostrel
