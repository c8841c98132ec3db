// The provider glyphs' colour: Claude's spark keeps its accent unless the
// mark is drawn in one colour; OpenAI's knot is always in the ink.

#include <QColor>
#include <gtest/gtest.h>

#include "drawing/ProviderGlyph.h"

namespace ostrel {
namespace {

TEST(ProviderGlyph, OnlyClaudeChangesColourWhenMonochrome)
{
    const QColor primary(20, 20, 20);
    EXPECT_EQ((ProviderGlyph{Provider::claude, 13, false}.fillColor(primary)), QColor(217, 119, 87));
    EXPECT_EQ((ProviderGlyph{Provider::claude, 13, true}.fillColor(primary)), primary);
    EXPECT_EQ((ProviderGlyph{Provider::openai, 13, false}.fillColor(primary)), primary);
    EXPECT_EQ((ProviderGlyph{Provider::openai, 13, true}.fillColor(primary)), primary);
    EXPECT_EQ((ProviderGlyph{Provider::claude, 13, true}.accessibleName()), QStringLiteral("Claude"));
    EXPECT_EQ((ProviderGlyph{Provider::openai, 13, true}.accessibleName()), QStringLiteral("OpenAI"));
}

}  // namespace
}  // namespace ostrel
