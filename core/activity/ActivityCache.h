#pragma once
// The activity scanner's memory between launches: one file state per session
// log, kept as JSON in the data folder, written and read without a document. A file that is missing, corrupt, of
// another program or of another version reads as absent, so the scanner starts
// over and replaces it; saving is atomic and readable only by the user.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "activity/FileState.h"
#include "model/Json.h"

namespace ostrel {
class CacheWriter;
}

namespace ostrel::ActivityCache {

inline constexpr std::string_view fileName = "activity-cache.json";
inline constexpr int currentVersion = 2;
/// Far beyond what eight days of logs take; a larger file is not ours.
inline constexpr std::uintmax_t largestFile = std::uintmax_t{256} << 20;

struct State
{
    int version = currentVersion;
    /// Keyed by the provider's raw value, a colon and the log's absolute path.
    std::map<std::string, FileState> files;

    bool operator==(const State&) const = default;
};

/// Compact JSON; fails on a number that JSON cannot carry.
[[nodiscard]] Json::Result<std::string> encode(const State& state);
/// Strict: any missing or mistyped part fails the whole document.
[[nodiscard]] Json::Result<State> decode(std::string_view text);

/// The cache of the current version, or absent for any reason it cannot be used.
[[nodiscard]] std::optional<State> load(const std::filesystem::path& file);

/// Folders created 0700 with missing parents, the file replaced atomically with
/// mode 0600; a symbolic link in its place is replaced, never written through,
/// so no file of the user's is overwritten. A text saying what failed; the
/// previous file stays then.
[[nodiscard]] std::expected<void, std::string> save(const std::filesystem::path& file, const State& state);
/// The same through `writer`, which keeps the texts of the files that did not change since its last save.
[[nodiscard]] std::expected<void, std::string>
save(const std::filesystem::path& file, const State& state, CacheWriter& writer);

}  // namespace ostrel::ActivityCache
