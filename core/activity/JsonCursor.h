#pragma once
// A validating pull reader over one JSON text, for the hot paths that need a
// few fields of a line or our own cache and no document: it accepts exactly
// what the JSON library's parser accepts (strict RFC 8259, UTF-8 checked, a
// leading byte-order mark skipped, a number that overflows refused) and builds
// nothing it is not asked for. Once anything fails, every later call fails.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "activity/JsonNumber.h"

namespace ostrel {

class JsonCursor
{
public:
    using Number = JsonNumber;

    /// `deepest` bounds how many arrays and objects may be open at once.
    explicit JsonCursor(std::string_view text, std::size_t deepest = std::numeric_limits<std::size_t>::max());

    /// Skips whitespace; the next byte, or '\0' at the end and after a failure.
    [[nodiscard]] char peek();
    /// Skips whitespace and takes `c` when it comes next.
    [[nodiscard]] bool take(char c);
    /// A string at the cursor; a view into the text when it holds no escape,
    /// else into `scratch`, where the escapes are decoded.
    [[nodiscard]] std::optional<std::string_view> string(std::string& scratch);
    [[nodiscard]] std::optional<Number> number();
    /// `true`, `false` or `null`, whichever is next; absent for anything else.
    [[nodiscard]] std::optional<std::string_view> literal();
    /// Passes over one value of any kind, checking it all the same.
    [[nodiscard]] bool skip();
    /// Whether nothing but whitespace is left (up to a NUL byte, which ends
    /// the text as it does for the library's parser) and nothing failed.
    [[nodiscard]] bool finished();

    [[nodiscard]] bool failed() const
    {
        return m_failed;
    }

    /// Reads the object at the cursor: `member(key)` is called for each member
    /// with the cursor on its value, which it must read or skip.
    template <class Member>
    [[nodiscard]] bool object(Member&& member)
    {
        if (!enter('{')) {
            return false;
        }
        std::string scratch;
        if (take('}')) {
            return leave();
        }
        do {
            const auto key = string(scratch);
            if (!key || !take(':') || !member(*key)) {
                return fail();
            }
        } while (take(','));
        return take('}') ? leave() : fail();
    }

    /// Reads the array at the cursor: `element()` is called with the cursor on each element.
    template <class Element>
    [[nodiscard]] bool array(Element&& element)
    {
        if (!enter('[')) {
            return false;
        }
        if (take(']')) {
            return leave();
        }
        do {
            if (!element()) {
                return fail();
            }
        } while (take(','));
        return take(']') ? leave() : fail();
    }

private:
    [[nodiscard]] bool enter(char bracket);
    bool leave();
    bool fail();  // always false, so a failing path can return it
    [[nodiscard]] bool escape(std::string& decoded);
    [[nodiscard]] bool multibyte();
    [[nodiscard]] std::optional<std::uint32_t> hexQuad();
    [[nodiscard]] std::string_view digits();
    [[nodiscard]] std::optional<NumberText> numberText();
    /// A string, number, or literal; false when the text breaks.
    [[nodiscard]] bool scalar(std::string& scratch);
    /// After a value inside the containers `open`: the separator or the
    /// containers' ends up to the next value; false when the text breaks.
    [[nodiscard]] bool nextValue(std::string& open, std::string& scratch);

    std::string_view m_text;
    std::size_t m_at = 0;
    std::size_t m_depth = 0;
    std::size_t m_deepest;
    bool m_failed = false;
};

}  // namespace ostrel
