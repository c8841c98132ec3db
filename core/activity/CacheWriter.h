#pragma once
// Writes the activity cache's JSON text straight from the state, byte for
// byte as the JSON library would write a document of it, without building the
// document. Each file state's text is kept between saves, so a rescan that
// changed one log encodes only that log's state again.

#include <functional>
#include <map>
#include <string>

#include "activity/FileState.h"
#include "model/Json.h"

namespace ostrel {

class CacheWriter
{
public:
    /// The file state under `key` changed or went away: its text is made afresh at the next `encode`.
    void forget(const std::string& key);

    /// The cache's compact text: `version`, then `files` keyed by the map's keys
    /// in order. Fails on a number that JSON cannot carry; nothing is kept then.
    [[nodiscard]] Json::Result<std::string> encode(int version, const std::map<std::string, FileState>& files);

    /// One file state's object, as it stands in the cache.
    [[nodiscard]] static Json::Result<std::string> encode(const FileState& file);

private:
    std::map<std::string, std::string, std::less<>> m_texts;
};

}  // namespace ostrel
