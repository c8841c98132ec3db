#include "platform/BarUnderPointer.h"

#include <array>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(BarUnderPointer, TakesTheItemFromABarAlongTheTopOrBottomOnly)
{
    struct Case
    {
        std::string_view name;
        QRect bar;
        QPoint pointer;
        std::optional<QRect> item;
    };

    const QRect screen(0, 0, 1024, 768);
    const auto cases = std::to_array<Case>({
        {"a top bar: the item spans its height", {0, 0, 1024, 27}, {13, 12}, QRect(0, 0, 27, 27)},
        {"a bottom bar", {0, 736, 1024, 32}, {300, 758}, QRect(284, 736, 32, 32)},
        {"a window away from the edges is no bar", {100, 100, 400, 30}, {120, 110}, std::nullopt},
        {"a window taller than a quarter of the screen is no bar", {0, 0, 1024, 400}, {10, 10}, std::nullopt},
        {"a bar the pointer is not on", {0, 0, 1024, 27}, {10, 300}, std::nullopt},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BarUnderPointer::itemIn(c.bar, c.pointer, screen), c.item);
    }
}

}  // namespace
}  // namespace ostrel
