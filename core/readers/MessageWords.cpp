#include "readers/MessageWords.h"

namespace ostrel::MessageWords {
namespace {

[[nodiscard]] bool isAlphanumeric(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

/// A path, a URL, a file or host name (`auth.json`, `auth.example.com`): its
/// parts are names someone chose, not words of the message.
[[nodiscard]] bool looksLikePath(std::string_view text)
{
    if (text.find_first_of("/\\") != std::string_view::npos || text.starts_with('~')) {
        return true;
    }
    for (std::size_t at = 1; at + 1 < text.size(); ++at) {
        if (text[at] == '.' && isAlphanumeric(text[at - 1]) && isAlphanumeric(text[at + 1])) {
            return true;
        }
    }
    return false;
}

/// Blanks out each quoted stretch that holds a path. A quote opens only at the
/// start of a word, so the apostrophe of "don't" opens nothing.
void blankQuotedPaths(std::string& text)
{
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char quote = text[at];
        const bool opens =
            (quote == '"' || quote == '\'' || quote == '`') && (at == 0 || !isAlphanumeric(text[at - 1]));
        const auto close = opens ? text.find(quote, at + 1) : std::string::npos;
        if (close == std::string::npos) {
            continue;
        }
        const std::string_view quoted = text;
        if (looksLikePath(quoted.substr(at + 1, close - at - 1))) {
            text.replace(at, close - at + 1, close - at + 1, ' ');
        }
        at = close;
    }
}

}  // namespace

std::string lowered(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return lower;
}

std::string wordsOutsidePaths(std::string_view text)
{
    std::string lower = lowered(text);
    blankQuotedPaths(lower);
    std::string words = " ";
    std::string_view rest = lower;
    constexpr std::string_view blanks = " \t\n\r\v\f";
    while (true) {
        const auto start = rest.find_first_not_of(blanks);
        if (start == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(start);
        const std::string_view piece = rest.substr(0, rest.find_first_of(blanks));
        rest.remove_prefix(piece.size());
        if (looksLikePath(piece)) {
            continue;
        }
        for (const char c : piece) {
            if (isAlphanumeric(c)) {
                words.push_back(c);
            } else if (words.back() != ' ') {
                words.push_back(' ');
            }
        }
        if (words.back() != ' ') {
            words.push_back(' ');
        }
    }
    return words;
}

}  // namespace ostrel::MessageWords
