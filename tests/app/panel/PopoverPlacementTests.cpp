#include "panel/PopoverPlacement.h"

#include <array>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(PopoverPlacement, OpensByTheItemOrThePointerAndStaysOnTheScreen)
{
    struct Case
    {
        std::string_view name;
        std::optional<QRect> anchor;
        QPoint pointer;
        QPoint expected;
    };

    const QSize panel(384, 300);
    const QRect screen(0, 0, 1280, 800);
    const auto cases = std::to_array<Case>({
        {"centred below an item on a top panel", QRect(600, 0, 22, 24), QPoint(610, 10), QPoint(418, 28)},
        {"above an item on a bottom panel", QRect(600, 776, 22, 24), QPoint(610, 790), QPoint(418, 472)},
        {"pulled left at the screen's right edge", QRect(1250, 0, 22, 24), QPoint(1260, 10), QPoint(896, 28)},
        {"pulled right at the left edge", QRect(0, 0, 22, 24), QPoint(5, 5), QPoint(0, 28)},
        {"at the pointer without geometry", std::nullopt, QPoint(700, 10), QPoint(508, 15)},
        {"an empty rectangle counts as none", QRect(), QPoint(700, 790), QPoint(508, 486)},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PopoverPlacement::topLeft(panel, c.anchor, c.pointer, screen), c.expected);
    }
}

TEST(PopoverPlacement, KeepsThePanelOnAScreenThatDoesNotStartAtTheOrigin)
{
    const QRect right(1920, 0, 1280, 1024);
    const QPoint at = PopoverPlacement::topLeft(QSize(384, 500), QRect(3190, 1000, 22, 24), QPoint(3195, 1010), right);
    EXPECT_EQ(at, QPoint(3200 - 384, 1000 - 4 - 500));
}

}  // namespace
}  // namespace ostrel
