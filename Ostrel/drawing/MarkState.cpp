#include "drawing/MarkState.h"

namespace ostrel {

MarkState MarkState::from(const ProviderDisplay& display)
{
    return {display.provider,
            display.status,
            display.pace,
            display.reading.has_value(),
            !display.resetCredits.expiringSoon.empty(),
            display.accountId};
}

bool MarkState::isDimmed() const
{
    return status == MarkStatus::stale || status == MarkStatus::renewed || status == MarkStatus::needsLogin;
}

MarkIndicator MarkState::indicator() const
{
    switch (status) {
    case MarkStatus::enterprise:
    case MarkStatus::apiBilling:
        return MarkIndicator::infinity;
    case MarkStatus::renewed:
        return MarkIndicator::renewedArrow;
    case MarkStatus::needsLogin:
        return pace ? MarkIndicator::cells : MarkIndicator::loginAlert;
    case MarkStatus::loading:
    case MarkStatus::live:
    case MarkStatus::stale:
    case MarkStatus::cliMissing:
    case MarkStatus::unavailable:
        break;
    }
    return MarkIndicator::cells;
}

int MarkState::filledCells() const
{
    return pace ? pace->litCells : 0;
}

std::optional<PaceTier> MarkState::cellTier() const
{
    return pace ? std::optional(pace->tier) : std::nullopt;
}

bool MarkState::alertDot() const
{
    return status == MarkStatus::needsLogin || (status == MarkStatus::unavailable && !hasReading);
}

std::optional<int> MarkState::percentLeft() const
{
    return pace ? std::optional(pace->percentLeft()) : std::nullopt;
}

std::optional<PaceTier> MarkState::resetWarningTier() const
{
    return pace && pace->resetWarning ? std::optional(pace->tier) : std::nullopt;
}

}  // namespace ostrel
