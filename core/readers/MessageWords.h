#pragma once
// The words of a tool's error message, for finding phrases in it as whole
// words. Paths, URLs and file names are names someone chose, not words of the
// message: a home folder called "author-home" must not read as "auth".

#include <string>
#include <string_view>

namespace ostrel::MessageWords {

/// `text` with the ASCII capitals made small; every other byte as it was.
[[nodiscard]] std::string lowered(std::string_view text);

/// The lower-case words of the text outside paths, each followed by one space
/// and the first one preceded by one (" not logged in "), so that a phrase
/// framed by spaces is found as whole words only. A quoted stretch that holds
/// a path is left out whole.
[[nodiscard]] std::string wordsOutsidePaths(std::string_view text);

}  // namespace ostrel::MessageWords
