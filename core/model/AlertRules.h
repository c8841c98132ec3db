#pragma once
// Which alerts a new look at the providers raises: pace turning tight, the
// binding window running out within 3 h or within the hour, a window passing
// the used threshold, a window renewing after it had passed it, signing out
// and back in. Each condition fires once per window period, remembered in the
// state returned beside the alerts. A provider seen for the first time only
// records what is already true, so a first start raises nothing; a condition
// whose moment fell while nobody watched (asleep, or not running) is recorded
// as dropped, never delivered late. Pure: the time and the state are parameters.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/Date.h"
#include "model/EnumRows.h"
#include "model/Provider.h"
#include "model/ProviderDisplay.h"

namespace ostrel {

enum class AlertKind
{
    tight,              ///< weekly pace turned "Getting tight"
    veryTight,          ///< weekly pace turned "Very tight"
    runsOutSoon,        ///< the binding window runs out within 3 hours
    runsOutWithinHour,  ///< the binding window runs out within the hour; critical
    passedThreshold,    ///< a window's used share reached the threshold
    renewed,            ///< a window that had passed the threshold renewed
    signedOut,
    signedIn  ///< back in after being signed out
};

/// Raw values as the alert state file keeps them.
[[nodiscard]] constexpr auto enumRows(AlertKind /*tag*/)
{
    return std::to_array<EnumRow<AlertKind>>({
        {AlertKind::tight, "tight"},
        {AlertKind::veryTight, "veryTight"},
        {AlertKind::runsOutSoon, "runsOutSoon"},
        {AlertKind::runsOutWithinHour, "runsOutWithinHour"},
        {AlertKind::passedThreshold, "passedThreshold"},
        {AlertKind::renewed, "renewed"},
        {AlertKind::signedOut, "signedOut"},
        {AlertKind::signedIn, "signedIn"},
    });
}

/// What the user switches alerts on and off by: each covers one or two kinds.
enum class AlertTopic
{
    pace,       ///< tight, veryTight
    runsOut,    ///< runsOutSoon, runsOutWithinHour
    threshold,  ///< passedThreshold
    renewed,
    account  ///< signedOut, signedIn
};

[[nodiscard]] constexpr auto enumRows(AlertTopic /*tag*/)
{
    return std::to_array<EnumRow<AlertTopic>>({
        {AlertTopic::pace, "pace", "Pace turns Getting tight or Very tight"},
        {AlertTopic::runsOut, "runsOut", "A limit will run out within 3 hours"},
        {AlertTopic::threshold, "threshold", "A limit passes its threshold"},
        {AlertTopic::renewed, "renewed", "A limit renews after passing it"},
        {AlertTopic::account, "account", "A tool signs out or back in"},
    });
}

[[nodiscard]] constexpr AlertTopic alertTopic(AlertKind kind)
{
    switch (kind) {
    case AlertKind::tight:
    case AlertKind::veryTight:
        return AlertTopic::pace;
    case AlertKind::runsOutSoon:
    case AlertKind::runsOutWithinHour:
        return AlertTopic::runsOut;
    case AlertKind::passedThreshold:
        return AlertTopic::threshold;
    case AlertKind::renewed:
        return AlertTopic::renewed;
    case AlertKind::signedOut:
    case AlertKind::signedIn:
        return AlertTopic::account;
    }
    return AlertTopic::pace;
}

struct Alert
{
    AlertKind kind = AlertKind::tight;
    Provider provider = Provider::claude;
    std::string accountId;  ///< as in ProviderDisplay: empty for the tool's default account
    std::string summary;    ///< "Claude is getting tight", "Claude · Work is getting tight"
    std::string body;       ///< "38% left, 4d 6h to renewal"
    bool critical = false;

    /// "Claude is getting tight: 38% left, 4d 6h to renewal".
    [[nodiscard]] std::string text() const;

    bool operator==(const Alert&) const = default;
};

/// A condition met once: when it was seen, and whether it was sent or dropped.
struct FiredAlert
{
    AlertKind kind = AlertKind::tight;
    Date at;
    bool delivered = false;

    bool operator==(const FiredAlert&) const = default;
};

/// The conditions met in one period of one window.
struct WindowAlertState
{
    std::string key;   ///< as in WindowOutlook
    std::string name;  ///< as a sentence names it, for the renewal alert: "week"
    Date periodEnd;    ///< the period's renewal time
    std::vector<FiredAlert> fired;

    bool operator==(const WindowAlertState&) const = default;
};

/// The record of one account of a tool: each account has its own windows and sign-in.
struct ProviderAlertState
{
    Provider provider = Provider::claude;
    std::string accountId;  ///< as in ProviderDisplay: empty for the tool's default account
    bool signedOut = false;
    std::optional<FiredAlert> account;  ///< the last sign-out or sign-in seen
    std::vector<WindowAlertState> windows;

    bool operator==(const ProviderAlertState&) const = default;
};

struct AlertState
{
    Date evaluatedAt;
    std::vector<ProviderAlertState> providers;

    bool operator==(const AlertState&) const = default;
};

/// The used shares (percent) the threshold can be set to, and its default.
inline constexpr auto alertThresholds = std::to_array<int>({75, 90, 95});
inline constexpr int defaultAlertThreshold = 90;

struct AlertOptions
{
    double thresholdPercent = defaultAlertThreshold;
    /// Since when the computer has been watching without a break: the last
    /// wake from sleep, or the start of this run. Moments after the previous
    /// evaluation and before this one were missed and their alerts are dropped.
    std::optional<Date> watchingSince;
    /// Topics the user switched off: their conditions are recorded as met but
    /// not sent, so switching one on later does not send what already passed.
    std::vector<AlertTopic> switchedOff;
};

struct AlertDecision
{
    std::vector<Alert> alerts;  ///< to send, in the order of the displays
    AlertState state;           ///< to keep for the next decision
};

/// `previous` is absent on the first look after install (or when the kept
/// state was lost): then nothing is sent, only recorded.
[[nodiscard]] AlertDecision decideAlerts(const std::optional<AlertState>& previous,
                                         std::span<const ProviderDisplay> displays,
                                         Date now,
                                         const AlertOptions& options = {});

/// "4d 6h", "6h", "40 min": the time to a renewal in an alert.
[[nodiscard]] std::string alertDuration(double seconds);

}  // namespace ostrel
