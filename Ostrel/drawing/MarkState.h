#pragma once
// What one provider's tray mark needs to know, and the drawing decisions that
// follow from it: which indicator, how many cells in which tier, faded or not,
// and which dots. A plain value so the label can be drawn without a store.

#include <optional>
#include <string>

#include "model/Pacing.h"
#include "model/Provider.h"
#include "model/ProviderDisplay.h"

namespace ostrel {

/// The provider's situation, as the display state names it.
using MarkStatus = ProviderDisplay::Status;

/// What stands after the glyph in the bar styles.
enum class MarkIndicator
{
    cells,         ///< the gauge, with percent and hourglass as they apply
    infinity,      ///< no allowance to pace (enterprise, billed per token)
    renewedArrow,  ///< the window renewed since the last reading
    loginAlert     ///< signed out and nothing to show
};

struct MarkState
{
    Provider provider = Provider::claude;
    MarkStatus status = MarkStatus::loading;
    std::optional<Pace> pace;          ///< the weekly window's pacing, when shown
    bool hasReading = false;           ///< some reading was ever stored
    bool creditsExpiringSoon = false;  ///< a reset credit expires within the week
    std::string accountId;             ///< the tool's account it stands for; empty for the default one

    /// The parts of a provider's display state that its mark shows.
    [[nodiscard]] static MarkState from(const ProviderDisplay& display);

    /// Stale, renewed and signed-out figures are drawn faded.
    [[nodiscard]] bool isDimmed() const;
    [[nodiscard]] MarkIndicator indicator() const;
    [[nodiscard]] int filledCells() const;
    [[nodiscard]] std::optional<PaceTier> cellTier() const;
    /// The orange dot on the gauge: signed out, or nothing could be read at all.
    [[nodiscard]] bool alertDot() const;
    [[nodiscard]] std::optional<int> percentLeft() const;
    /// The tier of the hourglass that warns an unused allowance is about to renew.
    [[nodiscard]] std::optional<PaceTier> resetWarningTier() const;

    bool operator==(const MarkState&) const = default;
};

}  // namespace ostrel
