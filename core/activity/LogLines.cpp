#include "activity/LogLines.h"

#include <cstring>
#include <limits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "readers/DateParsing.h"

namespace ostrel::LogLines {
namespace {

constexpr std::string_view usageKey = "\"usage\":{";
constexpr std::string_view cacheReadKey = "\"cache_read_input_tokens\":";
constexpr std::string_view inputKey = "\"input_tokens\":";
constexpr std::string_view cacheWriteKey = "\"cache_creation_input_tokens\":";
constexpr std::string_view outputKey = "\"output_tokens\":";
constexpr std::string_view timestampKey = R"("timestamp":")";
constexpr std::string_view requestIdKey = R"("requestId":")";
/// The message id starts with "msg_", the last four bytes of the filter.
constexpr std::size_t messageIdPrefix = 4;

/// The text from `start` up to the next double quote; absent without one.
[[nodiscard]] std::optional<std::string_view> quoted(std::string_view line, std::size_t start)
{
    if (start > line.size()) {
        return std::nullopt;
    }
    const void* quote = std::memchr(line.data() + start, '"', line.size() - start);
    if (quote == nullptr) {
        return std::nullopt;
    }
    return line.substr(start, static_cast<std::size_t>(static_cast<const char*>(quote) - line.data()) - start);
}

/// Whether `needle` (two bytes or more) occurs in `haystack`. Most lines fail the
/// filter after a full look at their first 4096 bytes, so this is the hot loop:
/// sixteen positions at a time are tested for the needle's first and last byte,
/// and only positions with both are compared in full.
[[nodiscard]] bool contains(std::string_view haystack, std::string_view needle)
{
#if defined(__SSE2__)
    const std::size_t length = needle.size();
    std::size_t block = 0;
    if (length >= 2) {
        const __m128i first = _mm_set1_epi8(needle.front());
        const __m128i last = _mm_set1_epi8(needle.back());
        for (; block + length + 15 <= haystack.size(); block += 16) {
            const std::string_view window = haystack.substr(block);
            // NOLINTBEGIN(cppcoreguidelines-pro-type-reinterpret-cast,cppcoreguidelines-pro-bounds-pointer-arithmetic):
            // unaligned SIMD loads inside the checked bounds
            const __m128i starts = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window.data()));
            const __m128i ends = _mm_loadu_si128(reinterpret_cast<const __m128i*>(window.data() + length - 1));
            // NOLINTEND(cppcoreguidelines-pro-type-reinterpret-cast,cppcoreguidelines-pro-bounds-pointer-arithmetic)
            auto candidates = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(starts, first), _mm_cmpeq_epi8(ends, last))));
            while (candidates != 0) {
                const auto at = static_cast<std::size_t>(__builtin_ctz(candidates));
                if (window.substr(at + 1, length - 2) == needle.substr(1, length - 2)) {
                    return true;
                }
                candidates &= candidates - 1;
            }
        }
    }
    haystack.remove_prefix(block);  // fewer than 16 + length bytes are left to search
#endif
    return ::memmem(haystack.data(), haystack.size(), needle.data(), needle.size()) != nullptr;
}

/// The decimal digits at `start` of `bytes`, and whether they fit in 64 bits.
struct Figure
{
    enum class Digits
    {
        none,
        fit,
        tooLarge
    };

    Digits digits = Digits::none;
    std::int64_t value = 0;
};

[[nodiscard]] Figure figureAt(std::string_view bytes, std::size_t start)
{
    constexpr auto limit = std::numeric_limits<std::int64_t>::max();
    Figure figure;
    for (std::size_t position = start; position < bytes.size() && bytes[position] >= '0' && bytes[position] <= '9';
         ++position) {
        const int digit = bytes[position] - '0';
        if (figure.value > (limit - digit) / 10) {
            return {Figure::Digits::tooLarge, 0};
        }
        figure = {Figure::Digits::fit, figure.value * 10 + digit};
    }
    return figure;
}

/// The counts of a usage object's region; absent when a figure, or a sum the
/// counts are made of, does not fit in 64 bits: such a line is malformed.
[[nodiscard]] std::optional<TokenCounts> countsIn(std::string_view region)
{
    bool fits = true;
    const auto field = [region, &fits](std::string_view key) -> std::int64_t {
        const auto start = first(key, region);
        const Figure figure = start ? figureAt(region, *start) : Figure{};
        fits = fits && figure.digits != Figure::Digits::tooLarge;
        return figure.value;
    };
    TokenCounts counts{field(cacheReadKey), 0, field(outputKey)};
    const std::int64_t fresh = field(inputKey);
    const std::int64_t written = field(cacheWriteKey);
    std::int64_t total = 0;
    if (!fits || __builtin_add_overflow(fresh, written, &counts.input)
        || __builtin_add_overflow(counts.cached, counts.input, &total)
        || __builtin_add_overflow(total, counts.output, &total)) {
        return std::nullopt;
    }
    return counts;
}

}  // namespace

std::string ClaudeKey::text() const
{
    std::string key;
    key.reserve(messageId.size() + 1 + requestId.size());
    key.append(messageId).append(":").append(requestId);
    return key;
}

bool ClaudeKey::matches(std::string_view stored) const
{
    return stored.size() == messageId.size() + 1 + requestId.size() && stored.starts_with(messageId)
           && stored[messageId.size()] == ':' && stored.ends_with(requestId);
}

std::optional<std::size_t> first(std::string_view pattern, std::string_view bytes, std::size_t from)
{
    if (from >= bytes.size() || pattern.empty()) {
        return std::nullopt;
    }
    const void* hit = ::memmem(bytes.data() + from, bytes.size() - from, pattern.data(), pattern.size());
    if (hit == nullptr) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data()) + pattern.size();
}

std::optional<std::size_t> last(std::string_view pattern, std::string_view bytes)
{
    const std::size_t length = pattern.size();
    if (length == 0 || bytes.size() < length) {
        return std::nullopt;
    }
    // Candidates are found by their final byte, searching backwards; the usage
    // object and the timestamp sit near the end of a line, so this stops early.
    std::size_t end = bytes.size();
    while (end >= length) {
        const void* hit = ::memrchr(bytes.data() + length - 1, pattern.back(), end - (length - 1));
        if (hit == nullptr) {
            return std::nullopt;
        }
        const auto position = static_cast<std::size_t>(static_cast<const char*>(hit) - bytes.data());
        if (std::memcmp(bytes.data() + position + 1 - length, pattern.data(), length) == 0) {
            return position + 1;
        }
        end = position;
    }
    return std::nullopt;
}

std::optional<std::int64_t> number(std::string_view pattern, std::string_view bytes)
{
    const auto start = first(pattern, bytes);
    if (!start) {
        return std::nullopt;
    }
    const Figure figure = figureAt(bytes, *start);
    return figure.digits == Figure::Digits::fit ? std::optional(figure.value) : std::nullopt;
}

bool passes(std::string_view pattern, std::string_view line)
{
    if (line.size() < pattern.size()) {
        return false;
    }
    return contains(line.substr(0, filterReach), pattern);
}

std::optional<ClaudeEvent> claudeUsage(std::string_view line)
{
    const auto usage = last(usageKey, line);
    if (!usage) {
        return std::nullopt;
    }
    const auto counts = countsIn(line.substr(*usage));
    if (!counts || counts->isZero()) {
        return std::nullopt;
    }

    const auto stampStart = last(timestampKey, line);
    const auto stamp = stampStart ? quoted(line, *stampStart) : std::nullopt;
    // Text that is not UTF-8 cannot be a timestamp, so there is nothing to repair first.
    const auto date = stamp ? DateParsing::iso8601(*stamp) : std::nullopt;
    if (!date) {
        return std::nullopt;
    }

    ClaudeEvent event{*date, *counts, std::nullopt};
    const auto idEnd = first(claudeFilter, line);
    const auto messageId = idEnd ? quoted(line, *idEnd - messageIdPrefix) : std::nullopt;
    if (messageId) {
        const auto requestStart = last(requestIdKey, line);
        const auto requestId = requestStart ? quoted(line, *requestStart) : std::nullopt;
        event.key = ClaudeKey{*messageId, requestId.value_or(std::string_view{})};
    }
    return event;
}

}  // namespace ostrel::LogLines
