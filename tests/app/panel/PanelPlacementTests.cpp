#include "panel/PanelPlacement.h"

#include <array>
#include <optional>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(PanelPlacement, OpensByTheItemOrThePointerAndStaysOnTheScreen)
{
    struct Case
    {
        std::string_view name;
        std::optional<QRect> anchor;
        QPoint pointer;
        QRect screen;
        QPoint expected;
    };

    const QSize panel(384, 300);
    const QRect screen(0, 0, 1280, 800);
    // clang-format off
    const auto cases = std::to_array<Case>({
        {"centred below an item on a top panel", QRect(600, 0, 22, 24), QPoint(610, 10), screen, QPoint(418, 28)},
        {"below an item that fits exactly", QRect(600, 472, 22, 24), QPoint(610, 480), screen, QPoint(418, 500)},
        {"above an item on a bottom panel", QRect(600, 776, 22, 24), QPoint(610, 790), screen, QPoint(418, 472)},
        {"pulled left at the screen's right edge", QRect(1250, 0, 22, 24), QPoint(1260, 10), screen, QPoint(896, 28)},
        {"pulled right at the left edge", QRect(0, 0, 22, 24), QPoint(5, 5), screen, QPoint(0, 28)},
        {"at the pointer without geometry", std::nullopt, QPoint(700, 10), screen, QPoint(508, 15)},
        {"an empty rectangle counts as none", QRect(), QPoint(700, 790), screen, QPoint(508, 486)},
        {"on a screen that does not start at the origin", QRect(3190, 776, 22, 24), QPoint(3195, 786),
         QRect(1920, 0, 1280, 800), QPoint(3200 - 384, 776 - 4 - 300)},
    });
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PanelPlacement::topLeft(panel, c.anchor, c.pointer, c.screen), c.expected);
    }
}

TEST(PanelPlacement, WithoutTheItemsPlaceOpensAtTheBarsRightEndOffTheBar)
{
    struct Case
    {
        std::string_view name;
        QRect workspace;  ///< what the bars leave of the output
        QRect output;
        QPoint expected;
    };

    const QSize panel(384, 300);
    const QRect output(0, 0, 1024, 768);
    const auto cases = std::to_array<Case>({
        {"below a top bar", QRect(0, 26, 1024, 742), output, QPoint(640, 30)},
        {"above a bottom bar", QRect(0, 0, 1024, 740), output, QPoint(640, 436)},
        {"no bar: the top right corner", output, output, QPoint(640, 4)},
        {"on an output right of another", QRect(1920, 30, 1024, 738), QRect(1920, 0, 1024, 768), QPoint(2560, 34)},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PanelPlacement::byBar(panel, c.workspace, c.output), c.expected);
    }
}

}  // namespace
}  // namespace ostrel
