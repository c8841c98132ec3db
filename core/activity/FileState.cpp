#include "activity/FileState.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <span>

#include <nlohmann/json.hpp>

#include "activity/CodexLine.h"
#include "activity/LogLines.h"
#include "model/JsonReading.h"
#include "posix/ReadOnlyFile.h"
#include "readers/DateParsing.h"

namespace ostrel {
namespace {

/// Bytes asked for per read; the buffer grows beyond this only to hold a longer line.
constexpr std::size_t chunkSize = std::size_t{1} << 20;

/// A number as a 64-bit integer, truncated; absent when not finite or out of range.
[[nodiscard]] std::optional<std::int64_t> wholeNumber(std::optional<double> value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!value || !std::isfinite(*value) || std::abs(*value) >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
}

/// A token figure: absent stays 0, anything but a whole number from 0 to 2^63 - 1
/// (truncated) makes the event malformed.
[[nodiscard]] std::optional<std::int64_t> tokenFigure(std::optional<double> value)
{
    if (!value) {
        return 0;
    }
    const auto whole = wholeNumber(value);
    return whole && *whole >= 0 ? whole : std::nullopt;
}

/// The counts of a Codex usage object; absent when malformed, the same rule as
/// for Claude lines: a figure out of range or counts that do not fit together.
[[nodiscard]] std::optional<TokenCounts> countsOf(const CodexLine::Usage& usage)
{
    const auto input = tokenFigure(usage.input);
    const auto cached = tokenFigure(usage.cached);
    const auto output = tokenFigure(usage.output);
    const auto total = tokenFigure(usage.total);
    std::int64_t sum = 0;
    if (!input || !cached || !output || !total || __builtin_add_overflow(*input, *output, &sum)) {
        return std::nullopt;
    }
    if (*input != 0 || *output != 0) {
        const std::int64_t inCache = std::min(*cached, *input);
        return TokenCounts{inCache, *input - inCache, *output};
    }
    return TokenCounts{0, *total, 0};
}

[[nodiscard]] bool isWeekly(const CodexLine::Window& window)
{
    return window.isObject && window.minutes && *window.minutes >= FileState::weeklyMinutesLow
           && *window.minutes <= FileState::weeklyMinutesHigh;
}

/// The weekly window of a Codex rate-limits object as an allowance point at `date`.
[[nodiscard]] std::optional<AllowancePoint> weeklyPoint(const CodexLine::Fields& fields, Date date)
{
    if (fields.limitId && *fields.limitId != "codex") {
        return std::nullopt;  // the limits of another product
    }
    const CodexLine::Window* weekly = isWeekly(fields.primary)     ? &fields.primary
                                      : isWeekly(fields.secondary) ? &fields.secondary
                                                                   : nullptr;
    if (weekly == nullptr || !weekly->usedPercent || !std::isfinite(*weekly->usedPercent)) {
        return std::nullopt;
    }
    AllowancePoint point{date, *weekly->usedPercent, std::nullopt};
    if (weekly->resetsAt) {
        if (std::isfinite(*weekly->resetsAt)) {
            point.resetsAt = dateFromSince1970(*weekly->resetsAt);
        }
    } else if (weekly->resetsIn && std::isfinite(*weekly->resetsIn)) {
        // Older Codex versions give the time left instead of the moment.
        point.resetsAt = date + Seconds{*weekly->resetsIn};
    }
    return point;
}

}  // namespace

std::expected<std::uint64_t, int>
FileState::read(const std::filesystem::path& path, Provider provider, std::vector<char>& buffer)
{
    const auto file = posix::ReadOnlyFile::open(path);
    if (!file) {
        return std::unexpected(file.error());
    }
    return read(*file, provider, buffer);
}

std::expected<std::uint64_t, int>
FileState::read(const posix::ReadOnlyFile& file, Provider provider, std::vector<char>& buffer)
{
    // Only what the file held when opened: a log written faster than it is read
    // cannot keep this going; the rest waits for the next scan.
    const std::uint64_t end = file.size();
    if (buffer.size() < chunkSize) {
        buffer.resize(chunkSize);
    }
    std::uint64_t done = 0;
    std::size_t held = 0;  // bytes in `buffer` from `offset` on, without a newline after the last one consumed
    while (offset + held < end) {
        if (held == buffer.size()) {
            buffer.resize(buffer.size() * 2);  // a line longer than the buffer
        }
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size() - held, end - offset - held));
        const auto count = file.readAt(offset + held, std::span(buffer).subspan(held, wanted));
        if (!count) {
            // Lines consumed so far stay consumed; the rest is read again next time.
            return done == 0 ? std::expected<std::uint64_t, int>(std::unexpected(count.error())) : done;
        }
        if (*count == 0) {
            break;  // truncated since it was opened: what is there is all there is
        }
        held += *count;
        const std::size_t used = consume({buffer.data(), held}, provider);
        if (used != 0) {
            std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(used),
                      buffer.begin() + static_cast<std::ptrdiff_t>(held),
                      buffer.begin());
            held -= used;
        }
        done += used;
    }
    return done;
}

std::uint64_t FileState::consume(std::string_view bytes, Provider provider)
{
    const void* lastNewline = ::memrchr(bytes.data(), '\n', bytes.size());
    if (lastNewline == nullptr) {
        return 0;
    }
    const auto length = static_cast<std::size_t>(static_cast<const char*>(lastNewline) - bytes.data()) + 1;
    const std::string_view filter = provider == Provider::claude ? LogLines::claudeFilter : LogLines::codexFilter;
    for (std::size_t start = 0; start < length;) {
        const std::size_t end = bytes.find('\n', start);  // memchr underneath; never npos before `length`
        const std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        if (!LogLines::passes(filter, line)) {
            continue;
        }
        if (provider == Provider::claude) {
            ingestClaude(line);
        } else {
            ingestCodex(line);
        }
    }
    offset += length;
    return length;
}

void FileState::ingestClaude(std::string_view line)
{
    const auto event = LogLines::claudeUsage(line);
    if (!event) {
        return;
    }
    if (!event->key) {
        tokens.add(event->counts, event->date);
        return;
    }
    if (lastKey && event->key->matches(*lastKey)) {
        // Claude Code writes one line per content block of a response, and the
        // early ones may carry a partial output count: the run counts once, at
        // its largest figures, so a repeat adds only what grew.
        const TokenCounts counted = lastCounts.value_or(event->counts);
        const auto growth = [](std::int64_t now, std::int64_t before) {
            return std::max<std::int64_t>(saturatingDifference(now, before), 0);
        };
        const TokenCounts grown{growth(event->counts.cached, counted.cached),
                                growth(event->counts.input, counted.input),
                                growth(event->counts.output, counted.output)};
        lastCounts = counted + grown;
        tokens.add(grown, event->date);
        return;
    }
    lastKey = event->key->text();
    lastCounts = event->counts;
    tokens.add(event->counts, event->date);
}

void FileState::ingestCodex(std::string_view line)
{
    const auto read = CodexLine::read(line);
    if (!read) {
        return;
    }
    const CodexLine::Fields& fields = *read;
    const auto date = fields.timestamp ? DateParsing::iso8601(*fields.timestamp) : std::nullopt;
    if (!date || !fields.payloadIsObject) {
        return;
    }

    const auto total = wholeNumber(fields.totalUsage.total);
    if (fields.infoIsObject && fields.totalUsage.isObject && fields.lastUsage.isObject && total) {
        std::string key = std::to_string(*total);
        // An unchanged cumulative total means the event repeats the previous one.
        const auto counts = countsOf(fields.lastUsage);
        if (key != lastKey && counts) {
            lastKey = std::move(key);
            tokens.add(*counts, *date);
        }
    }

    if (!fields.limitsIsObject) {
        return;
    }
    if (auto point = weeklyPoint(fields, *date)) {
        if (!allowance.empty() && TokenSeries::bucketKey(allowance.back().date) == TokenSeries::bucketKey(*date)) {
            allowance.back() = *point;
        } else {
            allowance.push_back(*point);
        }
    }
}

std::optional<TokenCounts> FileState::codexCounts(const nlohmann::json& usage)
{
    const auto field = [&usage](std::string_view key) {
        return JsonReading::number(JsonReading::member(&usage, key));
    };
    const CodexLine::Usage read{usage.is_object(),
                                field("input_tokens"),
                                field("cached_input_tokens"),
                                field("output_tokens"),
                                field("total_tokens")};
    return countsOf(read);
}

}  // namespace ostrel
