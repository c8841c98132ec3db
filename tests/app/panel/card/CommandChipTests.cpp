#include "panel/card/CommandChip.h"

#include <array>

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(CommandChip, PutsALeadingAssignmentOnALineOfItsOwnRatherThanHideTheFolder)
{
    struct Case
    {
        const char* command;
        int columns;        ///< the chip's room, in the monospaced font's characters
        const char* shown;  ///< null: one line cut in the middle
    };

    constexpr auto cases = std::to_array<Case>({
        {"claude auth login", 30, "claude auth login"},
        {"CLAUDE_CONFIG_DIR=/home/ann/.claude-work claude auth login",
         45,
         "CLAUDE_CONFIG_DIR=/home/ann/.claude-work\nclaude auth login"},
        {"CODEX_HOME=/home/ann/.codex-lab codex login", 60, "CODEX_HOME=/home/ann/.codex-lab codex login"},
        {"npm install -g @openai/codex", 20, nullptr},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        CommandChip chip(true);
        chip.setAttribute(Qt::WA_DontShowOnScreen);
        chip.show();
        chip.setCommand(QString::fromUtf8(c.command));
        chip.resize(
            QFontMetrics(chip.findChild<QLabel*>()->font()).horizontalAdvance(QString(c.columns, QLatin1Char('x'))),
            80);
        if (c.shown != nullptr) {
            EXPECT_EQ(chip.shownText(), QString::fromUtf8(c.shown));
        } else {
            EXPECT_TRUE(chip.shownText().startsWith(QStringLiteral("npm")) && chip.shownText().contains(QChar(0x2026))
                        && !chip.shownText().contains(QLatin1Char('\n')))
                << chip.shownText().toStdString();
        }
        EXPECT_EQ(chip.command(), QString::fromUtf8(c.command)) << "copied whole";
    }
}

}  // namespace
}  // namespace ostrel
