#pragma once
// The alert state kept beside the readings file, so that a restart or a
// repeated reading never sends an alert again. Replaced atomically, readable
// only by the user. A file that is missing or cannot be read back counts as no
// state, which makes the next decision record without sending: losing the file
// costs the alerts of one look, never a flood of old ones.

#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/AlertRules.h"

namespace ostrel::AlertStateFile {

inline constexpr std::string_view fileName = "alerts.json";

[[nodiscard]] std::filesystem::path filePath(const std::filesystem::path& dataFolder);

/// Compact JSON; fails on a date that is not finite.
[[nodiscard]] std::expected<std::string, std::string> encode(const AlertState& state);
/// Absent when `text` is not a state of ours.
[[nodiscard]] std::optional<AlertState> decode(std::string_view text);

/// The kept state; absent when there is none or it cannot be read.
[[nodiscard]] std::optional<AlertState> load(const std::filesystem::path& file);
/// Replaces the file atomically with mode 0600, making its folder (0700) when missing.
[[nodiscard]] std::expected<void, std::string> save(const std::filesystem::path& file, const AlertState& state);

}  // namespace ostrel::AlertStateFile
