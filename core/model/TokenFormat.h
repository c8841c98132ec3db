#pragma once
// The compact form of a token count used everywhere a count is shown:
// 999, 1.23K, 12.3K, 1000K, 2.5M, 1T.

#include <cstdint>
#include <string>

namespace ostrel::TokenFormat {

/// Scaled to K, M, B or T from 1000 up with at most three significant figures
/// and no trailing zeros; below 1000 (negative values too) the plain integer.
[[nodiscard]] std::string shortText(std::int64_t count);

}  // namespace ostrel::TokenFormat
