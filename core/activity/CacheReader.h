#pragma once
// Reads the activity cache's JSON text straight into the state, without
// building a document, and exactly as strictly as the document would be read:
// a missing or mistyped part anywhere fails the whole text, members we do not
// know are passed over, and a member given twice counts as its last
// appearance.

#include <string_view>

#include "activity/ActivityCache.h"

namespace ostrel::CacheReader {

[[nodiscard]] Json::Result<ActivityCache::State> read(std::string_view text);

}  // namespace ostrel::CacheReader
