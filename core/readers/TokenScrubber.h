#pragma once
// Keeps secrets out of texts that are shown and stored, such as the output of
// an outside program that may echo the token it was given. Every search goes on
// after the text put in, so a scrub always ends and never grows without bound.

#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class TokenScrubber
{
public:
    /// What stands in a text where a token was.
    static constexpr std::string_view placeholder = "[token]";
    /// Tokens this long are secrets wherever they appear, inside words as well;
    /// shorter ones only as whole words, so that ordinary text is not garbled.
    /// A trailing fragment of a token is a secret from this length on.
    static constexpr std::size_t secretLength = 8;

    /// An empty token is ignored.
    void remember(std::string token);

    /// The text with each remembered token replaced by the placeholder, and a
    /// trailing fragment (before any trailing white space) of at least
    /// `secretLength` bytes that begins a token replaced as well.
    [[nodiscard]] std::string scrub(std::string_view text) const;

private:
    /// A token with its Knuth-Morris-Pratt table, so that searching for it takes
    /// time in proportion to the text, however long the token is.
    struct Token
    {
        std::string text;
        std::vector<std::size_t> border;  ///< per prefix: its longest proper border

        explicit Token(std::string token);
        /// How much of the token is matched after `c`, with `matched` before it.
        [[nodiscard]] std::size_t step(std::size_t matched, char c) const;
        /// Where the token next stands in `haystack` from `from` on.
        [[nodiscard]] std::size_t find(std::string_view haystack, std::size_t from) const;
    };

    [[nodiscard]] std::string replaceWhole(std::string_view text) const;
    void replaceTrailingFragment(std::string& text) const;

    std::vector<Token> m_tokens;  ///< longest first
};

}  // namespace ostrel
