#pragma once
// What every fuzz target shares: the fixed clock and zones the parsers are
// given, and the check that a reading or a scanned log survives the trip
// through the file it is kept in. A target returns false when a property that
// must hold for every input did not; the fuzzer then stops on that input.

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include <unicode/timezone.h>

#include "CacheDocument.h"
#include "activity/ActivityCache.h"
#include "model/Date.h"
#include "model/ReadingsFile.h"
#include "model/WindowOutlook.h"
#include "readers/TokenScrubber.h"

namespace ostrel::fuzz {

struct Target
{
    std::string_view name;  ///< the folder of its corpus and of its kept inputs
    bool (*run)(std::string_view bytes);
};

/// 2026-03-03 12:00 UTC: a fixed now keeps every run of an input the same.
inline constexpr Date now = dateFromSince1970(1772539200);

/// A zone chosen by the input's length, so one corpus reaches a zone without
/// daylight saving and two with it, on both sides of the date line's offsets.
[[nodiscard]] inline const icu::TimeZone& zoneFor(std::string_view bytes)
{
    static const auto zones = [] {
        std::array<std::unique_ptr<icu::TimeZone>, 3> made;
        constexpr std::array<const char*, 3> ids{"UTC", "America/New_York", "Europe/Paris"};
        for (std::size_t i = 0; i < ids.size(); ++i) {
            made[i].reset(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(ids[i])));
        }
        return made;
    }();
    return *zones[bytes.size() % zones.size()];
}

/// What a reader returns must be writable to the readings file and readable
/// back: a number JSON cannot carry may refuse the write, but a written file
/// that does not read would lose the user's history at the next start.
[[nodiscard]] inline bool survivesReadingsFile(Provider provider, const FetchResult& result)
{
    if (result) {
        // Every window of a reading, whatever the reply held, gets an outlook and at most one binds first.
        const auto outlooks = windowOutlooks(*result, {}, now);
        if (const auto binding = bindingWindow(outlooks)) {
            if (runOutSentence(*binding, now).empty()) {
                return false;
            }
        }
    }
    Saved saved;
    ReadingsFile::record(saved, provider, result, now);
    const auto text = ReadingsFile::encode(saved);
    return !text || ReadingsFile::decode(*text).has_value();
}

/// The same for the activity cache and what the scanner read from a log,
/// whose text must be the one a document of it gives.
[[nodiscard]] inline bool survivesActivityCache(const FileState& file)
{
    ActivityCache::State state;
    state.files.emplace("claude:/fuzz.jsonl", file);
    const auto text = ActivityCache::encode(state);
    const auto reference = cacheDocumentText(state);
    if (text.has_value() != reference.has_value() || (text && *text != *reference)) {
        return false;
    }
    // Not equal to `state` in every case: bytes of a line that are not UTF-8
    // are written as U+FFFD, as the document writer does.
    return !text || ActivityCache::decode(*text).has_value();
}

/// `text` scrubbed of `secrets` holds no piece of `TokenScrubber::secretLength`
/// bytes of a secret made of the characters tokens are made of, and a second
/// scrub changes nothing. (A secret holding brackets could meet its own
/// placeholder; no token does.)
[[nodiscard]] inline bool scrubsEverySecret(const std::vector<std::string>& secrets, std::string_view text)
{
    TokenScrubber tokens;
    for (const std::string& secret : secrets) {
        tokens.remember(secret);
    }
    const std::string once = tokens.scrub(text);
    constexpr std::size_t piece = TokenScrubber::secretLength;
    std::unordered_set<std::string_view> left;
    for (std::size_t at = 0; at + piece <= once.size(); ++at) {
        left.insert(std::string_view(once).substr(at, piece));
    }
    const auto tokenLike = [](std::string_view secret) {
        return secret.find_first_of("[]") == std::string_view::npos;
    };
    for (const std::string& secret : secrets) {
        for (std::size_t at = 0; tokenLike(secret) && at + piece <= secret.size(); ++at) {
            if (left.contains(std::string_view(secret).substr(at, piece))) {
                return false;
            }
        }
    }
    return tokens.scrub(once) == once;
}

}  // namespace ostrel::fuzz
