#pragma once
// Keeps secrets out of texts that are shown and stored, such as the output of
// an outside program that may echo the credentials it was given. Both readers
// remember every secret of the credentials they read here; a scrub then
// replaces each run of the text made of pieces of at least `secretLength`
// characters of a secret, wherever it stands, in time linear in the text.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/ProviderReading.h"

namespace ostrel {

class TokenScrubber
{
public:
    /// What stands in a text where a secret was.
    static constexpr std::string_view placeholder = "[token]";
    /// Any piece this long of a secret is a secret, inside words as well.
    /// Shorter secrets are replaced only as whole words, so that ordinary text
    /// is not garbled.
    static constexpr std::size_t secretLength = 8;

    /// An empty secret is ignored.
    void remember(std::string_view secret);

    /// The text with every remembered secret and every piece of one of at least
    /// `secretLength` bytes replaced by the placeholder; neighbouring pieces
    /// become one placeholder. Scrubbing the result again changes nothing.
    [[nodiscard]] std::string scrub(std::string_view text) const;

    /// The result with its failure text, plan, note and credit titles scrubbed.
    [[nodiscard]] FetchResult scrub(FetchResult result) const;

    /// The non-empty strings in `document` under a key that names a secret (one
    /// holding "token", "secret", "key" or "password" in any case), at any depth,
    /// sorted and each once.
    [[nodiscard]] static std::vector<std::string> secretsIn(const nlohmann::json& document);

private:
    struct Run
    {
        std::size_t start;
        std::size_t end;
    };

    /// Where pieces of long secrets lie in `text`, merged where they touch.
    [[nodiscard]] std::vector<Run> pieces(std::string_view text) const;
    /// `text` with the short secrets that stand as words of their own replaced.
    [[nodiscard]] std::string replaceShort(std::string_view text) const;
    [[nodiscard]] std::string scrubPiece(std::string_view text) const;

    /// Every `secretLength`-byte window of every long secret, as a number.
    std::unordered_set<std::uint64_t> m_windows;
    std::vector<std::string> m_short;  ///< secrets shorter than `secretLength`, longest first
};

}  // namespace ostrel
