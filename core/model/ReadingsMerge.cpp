#include "model/ReadingsMerge.h"

#include <algorithm>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

namespace ostrel::ReadingsMerge {
namespace {

/// Orders points by date, and points of the same date by what they hold, so
/// that equal points meet and a union keeps one of them.
[[nodiscard]] bool before(const AllowancePoint& left, const AllowancePoint& right)
{
    return std::tie(left.date, left.usedPercent, left.resetsAt)
           < std::tie(right.date, right.usedPercent, right.resetsAt);
}

[[nodiscard]] ProviderSnapshot merged(ProviderSnapshot ours, const ProviderSnapshot& theirs)
{
    if (theirs.lastReading && (!ours.lastReading || theirs.lastReading->fetchedAt > ours.lastReading->fetchedAt)) {
        ours.lastReading = theirs.lastReading;
    }
    if (theirs.lastAttemptAt && (!ours.lastAttemptAt || *theirs.lastAttemptAt > *ours.lastAttemptAt)) {
        ours.lastAttemptAt = theirs.lastAttemptAt;
        ours.lastFailure = theirs.lastFailure;
    }
    if (ours.lastFailure && ours.lastReading && ours.lastAttemptAt
        && ours.lastReading->fetchedAt > *ours.lastAttemptAt) {
        ours.lastFailure.reset();
    }
    return ours;
}

[[nodiscard]] std::vector<AllowancePoint>
merged(std::vector<AllowancePoint> ours, const std::vector<AllowancePoint>& theirs, Date oldest)
{
    std::vector<AllowancePoint> recent;
    std::ranges::copy_if(theirs, std::back_inserter(recent), [oldest](const AllowancePoint& point) {
        return point.date > oldest;
    });
    std::ranges::sort(ours, before);
    std::ranges::sort(recent, before);
    std::vector<AllowancePoint> both;
    both.reserve(ours.size() + recent.size());
    std::ranges::set_union(ours, recent, std::back_inserter(both), before);
    return both;
}

}  // namespace

Saved merge(Saved ours, const Saved& theirs, Date now)
{
    for (const auto& [provider, snapshot] : theirs.snapshots) {
        auto [found, added] = ours.snapshots.try_emplace(provider, snapshot);
        if (!added) {
            found->second = merged(std::move(found->second), snapshot);
        }
    }
    const Date oldest = now - Seconds{ReadingsFile::historyAge};
    for (const auto& [provider, points] : theirs.history) {
        if (const auto found = ours.history.find(provider); found != ours.history.end()) {
            found->second = merged(std::move(found->second), points, oldest);
        } else if (auto taken = merged({}, points, oldest); !taken.empty()) {
            ours.history.emplace(provider, std::move(taken));
        }
    }
    // A named account holds its snapshot and history together, and is never without a snapshot.
    for (const auto& [account, readings] : theirs.accounts) {
        auto [found, added] = ours.accounts.try_emplace(account);
        AccountReadings& mine = found->second;
        mine.snapshot = added ? readings.snapshot : merged(std::move(mine.snapshot), readings.snapshot);
        mine.history = merged(std::move(mine.history), readings.history, oldest);
    }
    return ours;
}

}  // namespace ostrel::ReadingsMerge
