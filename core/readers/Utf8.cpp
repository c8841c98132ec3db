#include "readers/Utf8.h"

#include <cstdint>

namespace ostrel {
namespace {

constexpr std::string_view replacement = "\xEF\xBF\xBD";

[[nodiscard]] bool isContinuation(std::uint8_t byte)
{
    return (byte & 0xC0U) == 0x80U;
}

/// The length of the well-formed sequence starting at `at`, or, when it is
/// ill-formed, the negated length of its maximal valid prefix (at least 1).
[[nodiscard]] int sequenceAt(std::string_view bytes, std::size_t at)
{
    const auto byteAt = [&](std::size_t index) {
        return static_cast<std::uint8_t>(bytes[index]);
    };
    const std::uint8_t lead = byteAt(at);
    if (lead < 0x80U) {
        return 1;
    }
    int length = 0;
    std::uint8_t low = 0x80U;  // the range of the second byte, which is narrower for some leads
    std::uint8_t high = 0xBFU;
    if (lead >= 0xC2U && lead <= 0xDFU) {
        length = 2;
    } else if (lead >= 0xE0U && lead <= 0xEFU) {
        length = 3;
        low = lead == 0xE0U ? 0xA0U : 0x80U;   // no overlong forms
        high = lead == 0xEDU ? 0x9FU : 0xBFU;  // no surrogates
    } else if (lead >= 0xF0U && lead <= 0xF4U) {
        length = 4;
        low = lead == 0xF0U ? 0x90U : 0x80U;   // no overlong forms
        high = lead == 0xF4U ? 0x8FU : 0xBFU;  // nothing above U+10FFFF
    } else {
        return -1;
    }
    for (int index = 1; index < length; ++index) {
        const std::size_t position = at + static_cast<std::size_t>(index);
        if (position >= bytes.size()) {
            return -index;
        }
        const std::uint8_t byte = byteAt(position);
        const bool fits = index == 1 ? byte >= low && byte <= high : isContinuation(byte);
        if (!fits) {
            return -index;
        }
    }
    return length;
}

}  // namespace

std::string decodeUtf8Lossy(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const int length = sequenceAt(bytes, at);
        if (length > 0) {
            text.append(bytes.substr(at, static_cast<std::size_t>(length)));
            at += static_cast<std::size_t>(length);
        } else {
            text.append(replacement);
            at += static_cast<std::size_t>(-length);
        }
    }
    return text;
}

std::string_view lastCharacters(std::string_view text, std::size_t count)
{
    std::size_t start = text.size();
    std::size_t taken = 0;
    while (start > 0 && taken < count) {
        --start;
        // A character begins at every byte that is not a continuation byte.
        if (!isContinuation(static_cast<std::uint8_t>(text[start]))) {
            ++taken;
        }
    }
    return text.substr(start);
}

}  // namespace ostrel
