#include "readers/Utf8.h"

#include <array>
#include <string_view>

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(Utf8, ReplacesEachMaximalInvalidSubsequenceWithOneReplacementCharacter)
{
    struct Case
    {
        std::string_view name;
        std::string_view bytes;
        std::string_view text;
    };

    constexpr auto cases = std::to_array<Case>({
        {"valid text of every length stays as it is", "a\u00e9\u20ac\U0001F600", "a\u00e9\u20ac\U0001F600"},
        {"a stray continuation byte", "a\x80z", "a\uFFFDz"},
        {"a truncated sequence at the very end", "ok\xF0\x9F\x98", "ok\uFFFD"},
        {"an overlong two-byte form", "\xC0\xAF", "\uFFFD\uFFFD"},
        {"an encoded surrogate", "\xED\xA0\x80", "\uFFFD\uFFFD\uFFFD"},
        {"a code point above U+10FFFF", "\xF4\x90\x80\x80", "\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"a lead byte followed by a new sequence keeps the new one", "\xE2\xC3\xA9", "\uFFFD\u00e9"},
        {"a NUL byte is valid text", std::string_view("a\0b", 3), std::string_view("a\0b", 3)},
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decodeUtf8Lossy(c.bytes), c.text);
    }
}

}  // namespace
}  // namespace ostrel
