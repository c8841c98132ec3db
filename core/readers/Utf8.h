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

}  // namespace ostrel
