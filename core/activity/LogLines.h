#pragma once
// Byte-level reading of session-log lines: the fixed patterns that pick the
// lines worth a look, and the Claude line reader, which searches raw bytes for
// a few keys instead of parsing the long JSON. Pure functions on views of the
// caller's bytes; nothing is copied.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/Date.h"
#include "model/TokenCounts.h"

namespace ostrel::LogLines {

/// Claude lines that report an API response carry the message id.
inline constexpr std::string_view claudeFilter = R"("id":"msg_)";
/// The only Codex lines with token counts or allowance figures.
inline constexpr std::string_view codexFilter = R"("type":"token_count")";
/// The filters look only this far into a line: long lines hold message text.
inline constexpr std::size_t filterReach = 4096;

/// Identity of the API response a Claude line reports: the message id and the
/// request id (empty when the line has none), viewed in the line.
struct ClaudeKey
{
    std::string_view messageId;
    std::string_view requestId;

    /// "messageId:requestId", the form kept in the cache.
    [[nodiscard]] std::string text() const;
    /// Whether `stored` is this key's text, without building it.
    [[nodiscard]] bool matches(std::string_view stored) const;
};

struct ClaudeEvent
{
    Date date;
    TokenCounts counts;
    std::optional<ClaudeKey> key;  ///< absent when the line has no message id
};

/// The position just after the first `pattern` at or after `from`.
[[nodiscard]] std::optional<std::size_t> first(std::string_view pattern, std::string_view bytes, std::size_t from = 0);

/// The position just after the last `pattern`. Searched from the end, which
/// matches a forward search for every pattern that cannot overlap itself in
/// valid JSON (all the ones used here).
[[nodiscard]] std::optional<std::size_t> last(std::string_view pattern, std::string_view bytes);

/// The decimal digits right after the first `pattern`: no sign, space or
/// fraction. Absent without the pattern or digits, or beyond 64 bits.
[[nodiscard]] std::optional<std::int64_t> number(std::string_view pattern, std::string_view bytes);

/// Whether `pattern` occurs within the first `filterReach` bytes of `line`.
[[nodiscard]] bool passes(std::string_view pattern, std::string_view line);

/// The token counts, time and key of one Claude line; absent when the line has
/// no usage object, only zero counts, or no readable timestamp, and when it is
/// malformed: a count beyond 64 bits, alone or summed with the others.
[[nodiscard]] std::optional<ClaudeEvent> claudeUsage(std::string_view line);

}  // namespace ostrel::LogLines
