#include "platform/SwayPlacement.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(SwayPlacement, ReadsSwaysRepliesAndMatchesOnlyOurWindowByItsWholeTitle)
{
    struct Case
    {
        std::string_view name;
        const char* reply;
        bool succeeded;
    };

    constexpr auto cases = std::to_array<Case>({
        {"every command ran", R"([{"success": true}, {"success": true}])", true},
        {"the window is not mapped yet", R"([{"success": false, "error": "No matching node."}])", false},
        {"one of two failed", R"([{"success": true}, {"success": false}])", false},
        {"nothing to read", "", false},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SwayPlacement::succeeded(c.reply), c.succeeded);
    }

    const QByteArray workspaces =
        R"([{"focused": false, "output": "A", "rect": {"x": 0, "y": 0, "width": 9, "height": 9}},
        {"focused": true, "output": "B", "rect": {"x": 1024, "y": 26, "width": 1024, "height": 742}}])";
    EXPECT_EQ(SwayPlacement::focusedWorkspace(workspaces), std::pair(QRect(1024, 26, 1024, 742), QStringLiteral("B")));
    EXPECT_EQ(SwayPlacement::focusedWorkspace("[]"), std::nullopt);
    const QByteArray outputs = R"([{"name": "A", "rect": {"x": 0, "y": 0, "width": 1024, "height": 768}},
        {"name": "B", "rect": {"x": 1024, "y": 0, "width": 1024, "height": 768}}])";
    EXPECT_EQ(SwayPlacement::outputArea(outputs, QStringLiteral("B")), QRect(1024, 0, 1024, 768));
    EXPECT_EQ(SwayPlacement::outputArea(outputs, QStringLiteral("C")), std::nullopt);

    EXPECT_EQ(SwayPlacement::command(42, QStringLiteral("Ostrel (1)"), QPoint(640, 30)),
              R"([pid=42 title="^Ostrel \(1\)$"] floating enable, move absolute position 640 30)");
}

}  // namespace
}  // namespace ostrel
