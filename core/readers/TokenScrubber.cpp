#include "readers/TokenScrubber.h"

#include <algorithm>
#include <utility>

namespace ostrel {
namespace {

constexpr std::string_view whiteSpace = " \t\n\r\v\f";

/// The characters OAuth tokens are made of: next to one of them, a short token
/// is part of a longer word and no token of its own.
[[nodiscard]] bool isTokenCharacter(char c)
{
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    return letterOrDigit || std::string_view("-_.~+/=").find(c) != std::string_view::npos;
}

[[nodiscard]] bool standsAlone(std::string_view text, std::size_t at, std::size_t length)
{
    const bool freeBefore = at == 0 || !isTokenCharacter(text[at - 1]);
    const bool freeAfter = at + length == text.size() || !isTokenCharacter(text[at + length]);
    return freeBefore && freeAfter;
}

}  // namespace

TokenScrubber::Token::Token(std::string token)
    : text(std::move(token))
    , border(text.size(), 0)
{
    for (std::size_t at = 1, length = 0; at < text.size(); ++at) {
        length = step(length, text[at]);
        border[at] = length;
    }
}

std::size_t TokenScrubber::Token::step(std::size_t matched, char c) const
{
    if (matched == text.size()) {
        matched = border[matched - 1];
    }
    while (matched > 0 && c != text[matched]) {
        matched = border[matched - 1];
    }
    return c == text[matched] ? matched + 1 : matched;
}

std::size_t TokenScrubber::Token::find(std::string_view haystack, std::size_t from) const
{
    if (text.size() < secretLength) {
        // Too short to be a secret inside a word: a whole word only.
        auto at = haystack.find(text, from);
        while (at != std::string_view::npos && !standsAlone(haystack, at, text.size())) {
            at = haystack.find(text, at + 1);
        }
        return at;
    }
    std::size_t matched = 0;
    for (std::size_t at = from; at < haystack.size(); ++at) {
        matched = step(matched, haystack[at]);
        if (matched == text.size()) {
            return at + 1 - text.size();
        }
    }
    return std::string_view::npos;
}

void TokenScrubber::remember(std::string token)
{
    const auto same = [&](const Token& held) {
        return held.text == token;
    };
    if (token.empty() || std::ranges::any_of(m_tokens, same)) {
        return;
    }
    // Longest first: a token holding another one is replaced whole.
    const auto at = std::ranges::find_if(m_tokens, [&](const Token& held) { return held.text.size() < token.size(); });
    m_tokens.insert(at, Token(std::move(token)));
}

std::string TokenScrubber::scrub(std::string_view text) const
{
    // A placeholder already in the text stays as it is, so scrubbing twice
    // changes nothing.
    std::string scrubbed;
    while (true) {
        const auto at = text.find(placeholder);
        scrubbed += replaceWhole(text.substr(0, at));
        if (at == std::string_view::npos) {
            break;
        }
        scrubbed += placeholder;
        text.remove_prefix(at + placeholder.size());
    }
    replaceTrailingFragment(scrubbed);
    return scrubbed;
}

std::string TokenScrubber::replaceWhole(std::string_view text) const
{
    std::vector<std::size_t> next(m_tokens.size());
    for (std::size_t index = 0; index < m_tokens.size(); ++index) {
        next[index] = m_tokens[index].find(text, 0);
    }
    std::string scrubbed;
    std::size_t done = 0;
    while (true) {
        std::size_t first = std::string_view::npos;
        std::size_t length = 0;
        for (std::size_t index = 0; index < m_tokens.size(); ++index) {
            if (next[index] != std::string_view::npos && next[index] < done) {
                next[index] = m_tokens[index].find(text, done);
            }
            // Strictly earlier only: at the same place the longer token, met first, wins.
            if (next[index] < first) {
                first = next[index];
                length = m_tokens[index].text.size();
            }
        }
        if (first == std::string_view::npos) {
            break;
        }
        scrubbed.append(text.substr(done, first - done));
        scrubbed += placeholder;
        // Searching on after the placeholder, never inside it, is what makes a scrub end.
        done = first + length;
    }
    scrubbed.append(text.substr(done));
    return scrubbed;
}

void TokenScrubber::replaceTrailingFragment(std::string& text) const
{
    const auto last = text.find_last_not_of(whiteSpace);
    const std::size_t end = last == std::string::npos ? 0 : last + 1;
    for (const auto& token : m_tokens) {
        if (token.text.size() <= secretLength) {
            continue;  // a fragment of it is shorter than a secret
        }
        // Shorter than the token, so the match never completes: it ends as the
        // longest end of the text that begins the token.
        const std::size_t window = std::min(end, token.text.size() - 1);
        std::size_t matched = 0;
        for (std::size_t at = end - window; at < end; ++at) {
            matched = token.step(matched, text[at]);
        }
        if (matched >= secretLength) {
            text.replace(end - matched, matched, placeholder);
            return;
        }
    }
}

}  // namespace ostrel
