#pragma once
// Everything the presentation shows about one provider at one moment, derived
// from the stored snapshot, the current time and a staleness limit: one status
// out of nine, the pacing of the weekly window, the reset credits, and the
// plain-text lines of the tooltip, the copied summary and the morning report.
// Recomputed on demand, never stored.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Date.h"
#include "model/EnumRows.h"
#include "model/FetchFailure.h"
#include "model/Pacing.h"
#include "model/Provider.h"
#include "model/ProviderReading.h"
#include "model/ProviderSnapshot.h"
#include "model/ResetCreditStatus.h"
#include "model/WindowOutlook.h"

namespace ostrel {

struct ProviderDisplay
{
    enum class Status
    {
        loading,     ///< nothing read yet and no failure yet
        live,        ///< a recent reading with a weekly window, last attempt succeeded
        stale,       ///< a weekly window shown, but the last attempt failed or the reading is old
        renewed,     ///< the weekly window renewed since the reading; its numbers no longer apply
        enterprise,  ///< an organisation-managed account without a weekly window
        apiBilling,  ///< billed per token; no allowance to pace
        needsLogin,  ///< the last attempt failed because the user is not signed in
        cliMissing,  ///< nothing read yet and the command-line tool was not found
        unavailable  ///< nothing usable
    };

    Provider provider = Provider::claude;
    /// The named account shown (ToolAccount); all empty for the tool's default account.
    std::string accountId;
    std::string accountName;
    std::string accountFolder;
    Status status = Status::loading;
    /// The snapshot's last reading, whatever the status.
    std::optional<ProviderReading> reading;
    /// The weekly window's pacing; only for live, stale and needsLogin with a window to pace.
    std::optional<Pace> pace;
    std::optional<FetchFailure> failure;
    ResetCreditStatus resetCredits;
    /// Every window of the reading with its projected run-out, those that bind
    /// first at the front; only where the weekly window is paced.
    std::vector<WindowOutlook> windows;

    /// Seconds after which a reading without a later failure counts as stale,
    /// for a refresh every `intervalMinutes`: two intervals and ten minutes.
    [[nodiscard]] static constexpr double staleAfterFor(int intervalMinutes)
    {
        return 2.0 * intervalMinutes * 60.0 + 600.0;
    }

    /// `staleAfter` in seconds: a reading older than that, without a failure
    /// since, is stale. `weeklyHistory` is the provider's allowance history,
    /// which tells how fast the weekly window is being used.
    [[nodiscard]] static ProviderDisplay make(const std::optional<ProviderSnapshot>& snapshot,
                                              Provider provider,
                                              Date now,
                                              double staleAfter,
                                              std::span<const AllowancePoint> weeklyHistory = {});

    /// "Claude" for the default account, "Claude · Work" for the named account "Work".
    [[nodiscard]] std::string title() const;
    /// What signs this account in: "claude auth login" for the default account;
    /// for a named one the same led by its folder's variable
    /// ("CLAUDE_CONFIG_DIR=/home/ann/.claude-work claude auth login"), as the
    /// plain command would sign in the default account instead.
    [[nodiscard]] std::string signInCommand() const;

    /// Whether the figures are drawn faded: stale, renewed and needsLogin.
    [[nodiscard]] bool isDimmed() const
    {
        return status == Status::stale || status == Status::renewed || status == Status::needsLogin;
    }

    /// One line such as the gauge line, or "Claude · sign in: claude auth login";
    /// a named account's line begins with its title.
    [[nodiscard]] std::string summaryLine(Date now) const;
    /// The reset-credit headline behind its marker; absent without credits.
    [[nodiscard]] std::optional<std::string> resetCreditLine() const;

    /// The window that runs out first, before it renews; absent when none does.
    [[nodiscard]] std::optional<WindowOutlook> binding() const
    {
        return bindingWindow(windows);
    }

    /// "↳ At this pace the Sonnet week runs out…" when a window other than the
    /// weekly one binds first (the gauge tells the weekly window's pace already).
    [[nodiscard]] std::optional<std::string> bindingLine(Date now) const;
    /// The summary line, then the binding line and the reset-credit line where there are ones.
    [[nodiscard]] std::vector<std::string> reportLines(Date now) const;

    bool operator==(const ProviderDisplay&) const = default;
};

/// Raw values as the status output's JSON names the statuses.
[[nodiscard]] constexpr auto enumRows(ProviderDisplay::Status /*tag*/)
{
    using Status = ProviderDisplay::Status;
    return std::to_array<EnumRow<Status>>({
        {Status::loading, "loading"},
        {Status::live, "live"},
        {Status::stale, "stale"},
        {Status::renewed, "renewed"},
        {Status::enterprise, "enterprise"},
        {Status::apiBilling, "apiBilling"},
        {Status::needsLogin, "needsLogin"},
        {Status::cliMissing, "cliMissing"},
        {Status::unavailable, "unavailable"},
    });
}

}  // namespace ostrel
