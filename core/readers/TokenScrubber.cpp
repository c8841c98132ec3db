#include "readers/TokenScrubber.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <utility>

#include <nlohmann/json.hpp>

namespace ostrel {
namespace {

/// The characters OAuth tokens are made of: next to one of them, a short secret
/// is part of a longer word and no secret of its own.
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

/// The `secretLength` bytes at `at` as one number: equal numbers, equal bytes.
[[nodiscard]] std::uint64_t windowAt(std::string_view text, std::size_t at)
{
    static_assert(TokenScrubber::secretLength == sizeof(std::uint64_t));
    std::uint64_t window = 0;
    std::memcpy(&window, text.data() + at, sizeof window);
    return window;
}

[[nodiscard]] bool namesSecret(std::string_view key)
{
    std::string lower(key);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::ranges::any_of(std::to_array<std::string_view>({"token", "secret", "key", "password"}),
                               [&](std::string_view word) { return lower.find(word) != std::string::npos; });
}

void scrubInPlace(const TokenScrubber& scrubber, std::optional<std::string>& text)
{
    if (text) {
        text = scrubber.scrub(*text);
    }
}

}  // namespace

void TokenScrubber::remember(std::string_view secret)
{
    if (secret.size() >= secretLength) {
        for (std::size_t at = 0; at + secretLength <= secret.size(); ++at) {
            m_windows.insert(windowAt(secret, at));
        }
        return;
    }
    if (secret.empty() || std::ranges::find(m_short, secret) != m_short.end()) {
        return;
    }
    // Longest first: a secret holding another one is replaced whole.
    const auto at = std::ranges::find_if(m_short, [&](const std::string& held) { return held.size() < secret.size(); });
    m_short.insert(at, std::string(secret));
}

std::string TokenScrubber::scrub(std::string_view text) const
{
    // A placeholder already in the text stays as it is, so scrubbing twice
    // changes nothing.
    std::string scrubbed;
    while (true) {
        const auto at = text.find(placeholder);
        scrubbed += scrubPiece(text.substr(0, at));
        if (at == std::string_view::npos) {
            return scrubbed;
        }
        scrubbed += placeholder;
        text.remove_prefix(at + placeholder.size());
    }
}

FetchResult TokenScrubber::scrub(FetchResult result) const
{
    if (!result) {
        result.error().text = scrub(result.error().text);
        return result;
    }
    scrubInPlace(*this, result->plan);
    scrubInPlace(*this, result->note);
    for (ResetCredit& credit : result->resetCredits) {
        scrubInPlace(*this, credit.title);
    }
    return result;
}

std::vector<std::string> TokenScrubber::secretsIn(const nlohmann::json& document)
{
    std::vector<std::string> secrets;
    // Each value with whether its key names a secret; a list takes its key's verdict.
    std::vector<std::pair<const nlohmann::json*, bool>> pending{{&document, false}};
    while (!pending.empty()) {
        const auto [value, secret] = pending.back();
        pending.pop_back();
        if (value->is_object()) {
            for (const auto& [key, member] : value->items()) {
                pending.emplace_back(&member, namesSecret(key));
            }
        } else if (value->is_array()) {
            for (const auto& element : *value) {
                pending.emplace_back(&element, secret);
            }
        } else if (secret && value->is_string() && !value->get_ref<const std::string&>().empty()) {
            secrets.push_back(value->get<std::string>());
        }
    }
    std::ranges::sort(secrets);
    const auto repeated = std::ranges::unique(secrets);
    secrets.erase(repeated.begin(), repeated.end());
    return secrets;
}

std::vector<TokenScrubber::Run> TokenScrubber::pieces(std::string_view text) const
{
    std::vector<Run> runs;
    if (m_windows.empty()) {
        return runs;
    }
    for (std::size_t at = 0; at + secretLength <= text.size(); ++at) {
        if (!m_windows.contains(windowAt(text, at))) {
            continue;
        }
        // Overlapping or touching pieces make one run: a secret is replaced whole.
        if (!runs.empty() && at <= runs.back().end) {
            runs.back().end = at + secretLength;
        } else {
            runs.push_back({at, at + secretLength});
        }
    }
    return runs;
}

std::string TokenScrubber::scrubPiece(std::string_view text) const
{
    std::string scrubbed;
    std::size_t done = 0;
    for (const Run& run : pieces(text)) {
        scrubbed += replaceShort(text.substr(done, run.start - done));
        scrubbed += placeholder;
        done = run.end;
    }
    scrubbed += replaceShort(text.substr(done));
    return scrubbed;
}

std::string TokenScrubber::replaceShort(std::string_view text) const
{
    const auto wholeWordFrom = [text](const std::string& secret, std::size_t from) {
        auto at = text.find(secret, from);
        while (at != std::string_view::npos && !standsAlone(text, at, secret.size())) {
            at = text.find(secret, at + 1);
        }
        return at;
    };
    // Each secret's next place is kept, so the text is searched once per secret.
    std::vector<std::size_t> next(m_short.size());
    for (std::size_t index = 0; index < m_short.size(); ++index) {
        next[index] = wholeWordFrom(m_short[index], 0);
    }
    std::string scrubbed;
    std::size_t done = 0;
    while (true) {
        std::size_t first = std::string_view::npos;
        std::size_t length = 0;
        for (std::size_t index = 0; index < m_short.size(); ++index) {
            if (next[index] != std::string_view::npos && next[index] < done) {
                next[index] = wholeWordFrom(m_short[index], done);
            }
            // Strictly earlier only: at the same place the longer secret, met first, wins.
            if (next[index] < first) {
                first = next[index];
                length = m_short[index].size();
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

}  // namespace ostrel
