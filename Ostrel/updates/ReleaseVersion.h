#pragma once
// Version numbers as the release feed and the build write them: dotted
// decimal parts ("1.10.2"), an optional leading "v", and an optional
// pre-release suffix after "-" ("1.2.0-rc.1"). Parts compare as numbers, so
// 1.10 is newer than 1.9; missing parts count as 0, so 1.2 equals 1.2.0; a
// pre-release sorts before its release.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel {

class ReleaseVersion
{
public:
    /// Absent for text that is not a version: empty, a part that is not all
    /// digits, a part too large for 64 bits, or an empty suffix.
    [[nodiscard]] static std::optional<ReleaseVersion> parse(std::string_view text);

    [[nodiscard]] std::strong_ordering operator<=>(const ReleaseVersion& other) const;

    [[nodiscard]] bool operator==(const ReleaseVersion& other) const
    {
        return (*this <=> other) == std::strong_ordering::equal;
    }

private:
    std::vector<std::uint64_t> m_parts;
    /// Empty for a release.
    std::string m_preRelease;
};

}  // namespace ostrel
