#pragma once
// Everything remembered about one provider between refreshes: the last good
// reading survives later failures.

#include <optional>

#include "model/Date.h"
#include "model/FetchFailure.h"
#include "model/ProviderReading.h"

namespace ostrel {

struct ProviderSnapshot
{
    std::optional<ProviderReading> lastReading;
    std::optional<Date> lastAttemptAt;
    std::optional<FetchFailure> lastFailure;

    /// Folds one reader result in; never fails.
    void record(const FetchResult& result, Date at)
    {
        lastAttemptAt = at;
        if (result) {
            lastReading = *result;
            lastFailure.reset();
        } else {
            lastFailure = result.error();
        }
    }

    bool operator==(const ProviderSnapshot&) const = default;
};

}  // namespace ostrel
