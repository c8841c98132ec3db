#include "model/ResetCreditStatus.h"

#include <algorithm>

#include "model/Pacing.h"

namespace ostrel {
namespace {

std::string resets(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " reset" : " resets");
}

std::string timeUntil(const ResetCredit& credit, Date now)
{
    // Only credits that expire are asked; one without a date would read as due now.
    return Pace::formatTimeRemaining((credit.expiresAt.value_or(now) - now).count());
}

}  // namespace

ResetCreditStatus ResetCreditStatus::make(const std::vector<ResetCredit>& credits, Date now)
{
    ResetCreditStatus status{.now = now};
    for (const ResetCredit& credit : credits) {
        if (!credit.isExpired(now)) {
            status.available.push_back(credit);
        }
    }
    // An undated credit never lapses, so it sorts after every dated one.
    std::ranges::stable_sort(status.available, [](const ResetCredit& a, const ResetCredit& b) {
        return a.expiresAt && (!b.expiresAt || *a.expiresAt < *b.expiresAt);
    });
    for (const ResetCredit& credit : status.available) {
        if (credit.expiresSoon(now)) {
            status.expiringSoon.push_back(credit);
        }
    }
    return status;
}

std::optional<Date> ResetCreditStatus::nextExpiry() const
{
    if (available.empty()) {
        return std::nullopt;
    }
    return available.front().expiresAt;
}

std::optional<std::string> ResetCreditStatus::nextExpiryText() const
{
    const std::optional<Date> expiry = nextExpiry();
    if (!expiry) {
        return std::nullopt;
    }
    return Pace::formatTimeRemaining((*expiry - now).count());
}

std::optional<std::string> ResetCreditStatus::headline() const
{
    if (available.empty()) {
        return std::nullopt;
    }
    if (!expiringSoon.empty()) {
        const std::size_t soon = expiringSoon.size();
        std::string text = resets(soon) + (soon == 1 ? " expires in " : " expire in ");
        text += timeUntil(expiringSoon.front(), now);
        if (soon < available.size()) {
            text += " (" + std::to_string(available.size()) + " total)";
        }
        return text;
    }
    std::string text = resets(available.size()) + " available";
    if (available.front().expiresAt) {
        text += " \u00B7 next expires in " + timeUntil(available.front(), now);
    }
    return text;
}

}  // namespace ostrel
