#include "updates/ReleaseVersion.h"

#include <algorithm>
#include <charconv>

namespace ostrel {
namespace {

[[nodiscard]] bool allDigits(std::string_view text)
{
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

/// Dot-separated identifiers in turn: digits as numbers ("rc.9" before
/// "rc.10"), numbers before words, words by their characters; a shorter list
/// that matches so far comes first.
[[nodiscard]] std::strong_ordering comparePreReleases(std::string_view mine, std::string_view theirs)
{
    while (true) {
        const std::string_view a = mine.substr(0, mine.find('.'));
        const std::string_view b = theirs.substr(0, theirs.find('.'));
        std::strong_ordering order = std::strong_ordering::equal;
        if (allDigits(a) && allDigits(b)) {
            // Without leading zeros the longer digit string is the larger number.
            const auto trim = [](std::string_view digits) {
                return digits.substr(std::min(digits.find_first_not_of('0'), digits.size() - 1));
            };
            order = trim(a).size() <=> trim(b).size();
            if (order == std::strong_ordering::equal) {
                order = trim(a) <=> trim(b);
            }
        } else if (allDigits(a) != allDigits(b)) {
            // NOLINTNEXTLINE(readability-implicit-bool-conversion): false before true is the order meant
            order = allDigits(b) <=> allDigits(a);
        } else {
            order = a <=> b;
        }
        if (order != std::strong_ordering::equal) {
            return order;
        }
        const bool mineEnds = a.size() == mine.size();
        const bool theirsEnds = b.size() == theirs.size();
        if (mineEnds || theirsEnds) {
            // NOLINTNEXTLINE(readability-implicit-bool-conversion): false before true is the order meant
            return theirsEnds <=> mineEnds;
        }
        mine.remove_prefix(a.size() + 1);
        theirs.remove_prefix(b.size() + 1);
    }
}

}  // namespace

std::optional<ReleaseVersion> ReleaseVersion::parse(std::string_view text)
{
    if (text.starts_with('v') || text.starts_with('V')) {
        text.remove_prefix(1);
    }
    ReleaseVersion version;
    if (const auto dash = text.find('-'); dash != std::string_view::npos) {
        version.m_preRelease = text.substr(dash + 1);
        if (version.m_preRelease.empty()) {
            return std::nullopt;
        }
        text = text.substr(0, dash);
    }
    while (true) {
        const auto dot = text.find('.');
        const std::string_view part = text.substr(0, dot);
        std::uint64_t number = 0;
        const auto* end = part.data() + part.size();
        const auto [stop, error] = std::from_chars(part.data(), end, number);
        if (part.empty() || error != std::errc{} || stop != end) {
            return std::nullopt;
        }
        version.m_parts.push_back(number);
        if (dot == std::string_view::npos) {
            break;
        }
        text.remove_prefix(dot + 1);
    }
    return version;
}

std::strong_ordering ReleaseVersion::operator<=>(const ReleaseVersion& other) const
{
    const std::size_t count = std::max(m_parts.size(), other.m_parts.size());
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t mine = i < m_parts.size() ? m_parts[i] : 0;
        const std::uint64_t theirs = i < other.m_parts.size() ? other.m_parts[i] : 0;
        if (const auto order = mine <=> theirs; order != std::strong_ordering::equal) {
            return order;
        }
    }
    if (m_preRelease.empty() || other.m_preRelease.empty()) {
        // A release is newer than any of its pre-releases.
        // NOLINTNEXTLINE(readability-implicit-bool-conversion): false before true is the order meant
        return m_preRelease.empty() <=> other.m_preRelease.empty();
    }
    return comparePreReleases(m_preRelease, other.m_preRelease);
}

}  // namespace ostrel
