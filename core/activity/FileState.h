#pragma once
// What the activity scanner remembers about one session-log file: how far it
// has been read and what that part held. Ingesting the complete lines appended
// since then updates it; a partial last line waits for its newline.

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/Provider.h"
#include "model/TokenCounts.h"
#include "model/TokenSeries.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel {

struct FileState
{
    /// Codex windows of 10079 to 10081 minutes are the weekly one (tools round differently).
    static constexpr double weeklyMinutesLow = 10079;
    static constexpr double weeklyMinutesHigh = 10081;

    std::uint64_t offset = 0;       ///< bytes consumed; always just after a newline, or 0
    std::uint64_t size = 0;         ///< the size seen at the last scan
    Date modified{Seconds{-1e12}};  ///< the modification date seen at the last scan; long ago when fresh
    TokenSeries tokens;
    std::vector<AllowancePoint> allowance;  ///< Codex files only
    std::optional<std::string> lastKey;     ///< key of the last counted event
    /// The figures counted so far for `lastKey` (Claude): a repeat of the same
    /// response adds only what grew. Absent in caches of older versions.
    std::optional<TokenCounts> lastCounts;

    /// Reads the complete lines after `offset`, up to the file's size when
    /// opened, through `buffer` (kept for the next file), and moves `offset`
    /// past them. Returns the bytes consumed; the errno when the file cannot be
    /// opened or nothing could be read, and nothing changes then. A file that
    /// shrinks meanwhile just ends early; a later read failure keeps what was
    /// consumed before it.
    [[nodiscard]] std::expected<std::uint64_t, int>
    read(const std::filesystem::path& path, Provider provider, std::vector<char>& buffer);
    [[nodiscard]] std::expected<std::uint64_t, int>
    read(const posix::ReadOnlyFile& file, Provider provider, std::vector<char>& buffer);

    /// Ingests every complete line of `bytes` (which start at `offset`) and moves
    /// `offset` past the last newline; the rest waits. Returns the bytes consumed.
    std::uint64_t consume(std::string_view bytes, Provider provider);

    /// One Claude line: a run of lines with the same key counts once, with the
    /// largest figures of the run; a line without a key always counts.
    void ingestClaude(std::string_view line);

    /// One Codex line: the event's last usage unless the cumulative total has not
    /// moved, and a weekly allowance point (one per ten-minute bucket, the latest).
    void ingestCodex(std::string_view line);

    /// Codex reports cached tokens inside its input count. Absent when a figure
    /// is negative or beyond 64 bits, or input and output do not fit together:
    /// such an event is malformed and counts nothing.
    [[nodiscard]] static std::optional<TokenCounts> codexCounts(const nlohmann::json& usage);

    bool operator==(const FileState&) const = default;
};

}  // namespace ostrel
