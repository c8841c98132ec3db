#include "activity/FileState.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <nlohmann/json.hpp>

#include "activity/CodexLine.h"
#include "activity/LogLines.h"
#include "model/JsonReading.h"
#include "posix/MappedFile.h"
#include "readers/DateParsing.h"

namespace ostrel {
namespace {

/// Pages behind the reader are given back after this many bytes, so a huge log
/// never becomes resident as a whole.
constexpr std::size_t residentWindow = std::size_t{16} << 20;

/// The end of the next slice of whole lines from `start`: just after the last
/// newline within `window` bytes, else after the first one beyond, else the end.
[[nodiscard]] std::size_t sliceEnd(std::string_view bytes, std::size_t start, std::size_t window)
{
    const std::size_t limit = std::min(bytes.size(), start + window);
    if (limit == bytes.size()) {
        return limit;
    }
    if (const void* newline = ::memrchr(bytes.data() + start, '\n', limit - start)) {
        return static_cast<std::size_t>(static_cast<const char*>(newline) - bytes.data()) + 1;
    }
    if (const void* newline = std::memchr(bytes.data() + limit, '\n', bytes.size() - limit)) {
        return static_cast<std::size_t>(static_cast<const char*>(newline) - bytes.data()) + 1;
    }
    return bytes.size();
}

/// A number as a 64-bit integer, truncated; absent when not finite or out of range.
[[nodiscard]] std::optional<std::int64_t> wholeNumber(std::optional<double> value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!value || !std::isfinite(*value) || std::abs(*value) >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*value);
}

[[nodiscard]] TokenCounts countsOf(const CodexLine::Usage& usage)
{
    const std::int64_t input = wholeNumber(usage.input).value_or(0);
    const std::int64_t output = wholeNumber(usage.output).value_or(0);
    if (input != 0 || output != 0) {
        const std::int64_t cached = std::min(wholeNumber(usage.cached).value_or(0), input);
        return {cached, input - cached, output};
    }
    return {0, wholeNumber(usage.total).value_or(0), 0};
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

std::expected<std::uint64_t, int> FileState::read(const std::filesystem::path& file, Provider provider)
{
    auto map = posix::MappedFile::open(file, offset);
    if (!map) {
        return std::unexpected(map.error());
    }
    const std::string_view bytes = map->bytes();
    std::size_t done = 0;
    while (done < bytes.size()) {
        const std::size_t end = sliceEnd(bytes, done, residentWindow);
        const auto used = consume(bytes.substr(done, end - done), provider);
        if (used == 0) {
            break;
        }
        done += static_cast<std::size_t>(used);
        map->release(done);
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
        const TokenCounts grown{std::max<std::int64_t>(event->counts.cached - counted.cached, 0),
                                std::max<std::int64_t>(event->counts.input - counted.input, 0),
                                std::max<std::int64_t>(event->counts.output - counted.output, 0)};
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
        if (key != lastKey) {
            lastKey = std::move(key);
            tokens.add(countsOf(fields.lastUsage), *date);
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

TokenCounts FileState::codexCounts(const nlohmann::json& usage)
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
