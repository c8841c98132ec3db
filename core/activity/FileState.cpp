#include "activity/FileState.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include <nlohmann/json.hpp>

#include "activity/LogLines.h"
#include "model/JsonReading.h"
#include "readers/DateParsing.h"
#include "readers/posix/MappedFile.h"

namespace ostrel {
namespace {

using JsonReading::member;
using JsonReading::number;
using JsonReading::object;

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
[[nodiscard]] std::optional<std::int64_t> wholeNumber(const nlohmann::json* value)
{
    const auto read = number(value);
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!read || !std::isfinite(*read) || std::abs(*read) >= 9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(*read);
}

[[nodiscard]] bool isWeekly(const nlohmann::json* window)
{
    const auto minutes = number(member(window, "window_minutes"));
    return minutes && *minutes >= FileState::weeklyMinutesLow && *minutes <= FileState::weeklyMinutesHigh;
}

/// The weekly window of a Codex rate-limits object as an allowance point at `date`.
[[nodiscard]] std::optional<AllowancePoint> weeklyPoint(const nlohmann::json* limits, Date date)
{
    if (const auto* id = member(limits, "limit_id"); id != nullptr && id->is_string() && *id != "codex") {
        return std::nullopt;  // the limits of another product
    }
    const nlohmann::json* weekly = nullptr;
    for (const char* name : {"primary", "secondary"}) {
        if (const auto* window = object(member(limits, name)); window != nullptr && isWeekly(window)) {
            weekly = window;
            break;
        }
    }
    if (weekly == nullptr) {
        return std::nullopt;
    }
    const auto used = number(member(weekly, "used_percent"));
    if (!used || !std::isfinite(*used)) {
        return std::nullopt;
    }
    AllowancePoint point{date, *used, std::nullopt};
    if (const auto resetsAt = number(member(weekly, "resets_at"))) {
        if (std::isfinite(*resetsAt)) {
            point.resetsAt = dateFromSince1970(*resetsAt);
        }
    } else if (const auto resetsIn = number(member(weekly, "resets_in_seconds"))) {
        // Older Codex versions give the time left instead of the moment.
        if (std::isfinite(*resetsIn)) {
            point.resetsAt = date + Seconds{*resetsIn};
        }
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
    const auto document = nlohmann::json::parse(line, nullptr, false);
    if (!document.is_object()) {
        return;
    }
    const auto stamp = JsonReading::string(member(&document, "timestamp"));
    const auto date = stamp ? DateParsing::iso8601(*stamp) : std::nullopt;
    const auto* payload = object(member(&document, "payload"));
    if (!date || payload == nullptr) {
        return;
    }

    const auto* info = object(member(payload, "info"));
    const auto* lastUsage = object(member(info, "last_token_usage"));
    const auto total = wholeNumber(member(object(member(info, "total_token_usage")), "total_tokens"));
    if (lastUsage != nullptr && total) {
        std::string key = std::to_string(*total);
        // An unchanged cumulative total means the event repeats the previous one.
        if (key != lastKey) {
            lastKey = std::move(key);
            tokens.add(codexCounts(*lastUsage), *date);
        }
    }

    const auto* limits = object(member(payload, "rate_limits"));
    if (limits == nullptr) {
        return;
    }
    if (auto point = weeklyPoint(limits, *date)) {
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
        return wholeNumber(member(&usage, key)).value_or(0);
    };
    const std::int64_t input = field("input_tokens");
    const std::int64_t output = field("output_tokens");
    if (input != 0 || output != 0) {
        const std::int64_t cached = std::min(field("cached_input_tokens"), input);
        return {cached, input - cached, output};
    }
    return {0, field("total_tokens"), 0};
}

}  // namespace ostrel
