#pragma once
// Fuzz targets for the files we keep ourselves, which a crash, a disk error or
// another program may have left in any state, and for the date texts that every
// reader relies on.

#include <cmath>
#include <string_view>

#include "Support.h"
#include "readers/DateParsing.h"

namespace ostrel::fuzz {

/// Whatever decodes must encode again (or refuse a number) and decode the same way.
[[nodiscard]] inline bool readingsFile(std::string_view bytes)
{
    const auto saved = ReadingsFile::decode(bytes);
    if (!saved) {
        return true;
    }
    for (const Provider provider : allProviders) {
        (void)ReadingsFile::glidePath(*saved, provider, {}, now);
    }
    const auto text = ReadingsFile::encode(*saved);
    return !text || ReadingsFile::decode(*text).has_value();
}

/// The cache's reader must agree with the reading of the whole document, and
/// whatever it reads must be written as the document would be and read back the same.
[[nodiscard]] inline bool activityCache(std::string_view bytes)
{
    const auto state = ActivityCache::decode(bytes);
    const auto reference = cacheOfDocument(bytes);
    if (state.has_value() != reference.has_value() || (state && *state != *reference)) {
        return false;
    }
    if (!state) {
        return true;
    }
    const auto text = ActivityCache::encode(*state);
    const auto referenceText = cacheDocumentText(*state);
    if (text.has_value() != referenceText.has_value() || (text && *text != *referenceText)) {
        return false;
    }
    return !text || ActivityCache::decode(*text) == state;
}

/// A date that is read at all is a finite one.
[[nodiscard]] inline bool dates(std::string_view bytes)
{
    const auto finite = [](const std::optional<Date>& date) {
        return !date || std::isfinite(secondsSince1970(*date));
    };
    return finite(DateParsing::fastUTC(bytes)) && finite(DateParsing::iso8601(bytes))
           && finite(DateParsing::claudeResetPhrase(bytes, zoneFor(bytes), now));
}

}  // namespace ostrel::fuzz
