#pragma once
// Lossless-as-possible reading of bytes that ought to be UTF-8, such as the
// output of outside programs: never fails, never drops valid text.

#include <string>
#include <string_view>

namespace ostrel {

/// The bytes with each maximal invalid subsequence replaced by one U+FFFD, the
/// practice the Unicode standard recommends (so "\xE2\x82" is one U+FFFD and
/// "\xFF\xFE" two). Valid input comes back unchanged.
[[nodiscard]] std::string decodeUtf8Lossy(std::string_view bytes);

/// The last `count` characters (code points) of UTF-8 text, all of it when it
/// is shorter. The cut never falls inside a multi-byte sequence.
[[nodiscard]] std::string_view lastCharacters(std::string_view text, std::size_t count);

}  // namespace ostrel
