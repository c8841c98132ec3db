#pragma once
// What Claude Code hands its status-line command on standard input: for a
// subscriber, once a session has had a reply, the five-hour and seven-day
// windows with the percentage used and the renewal time. Read leniently, like
// every outside reply. Figures with a weekly window are also left for the
// running app in a small private file, the drop, which it folds into its
// readings as Claude's reading: Claude Code reaches the allowance even while
// the usage endpoint turns this computer's requests away.

#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/Date.h"
#include "model/ProviderReading.h"
#include "model/ReadingsFile.h"
#include "model/ToolAccount.h"
#include "model/UsageWindow.h"

namespace ostrel::ClaudeStatusLine {

/// The source of readings made from the status line.
inline constexpr std::string_view source = "claude status line";
/// The default account's drop in the data folder, beside the readings file.
/// Its name and content stay as they were: a release that knows no named
/// accounts picks it up, and only it.
inline constexpr std::string_view dropFileName = "claude-status-line.json";
/// Equal figures are folded again only after this many seconds, so a busy
/// status line does not grow the history with every prompt.
inline constexpr double repeatAfter = 300;

struct Figures
{
    Date receivedAt;
    UsageWindow weekly;
    std::optional<UsageWindow> session;

    bool operator==(const Figures&) const = default;
};

/// The figures in the status-line input; absent without a seven-day percentage.
[[nodiscard]] std::optional<Figures> fromInput(std::string_view input, Date receivedAt);

/// The drop's text: the two windows and the time received, nothing else.
[[nodiscard]] std::string encode(const Figures& figures);
/// Absent when the text is no drop.
[[nodiscard]] std::optional<Figures> decode(std::string_view text);

/// The drop's name for Claude's account `accountId`: `dropFileName` for the
/// default account, "claude-status-line-<id>.json" for a named one.
[[nodiscard]] std::string dropName(std::string_view accountId);
/// The account a file named `fileName` is the drop of; absent for any other name.
[[nodiscard]] std::optional<std::string> dropAccount(std::string_view fileName);

/// The id of the Claude account whose folder is `configFolder`, the
/// CLAUDE_CONFIG_DIR Claude Code runs with: the named account whose folder is
/// the same once both are resolved (ToolFolder::resolve, and made canonical
/// where both exist), else the default account (empty).
[[nodiscard]] std::string accountOf(std::span<const ToolAccount> accounts,
                                    const std::optional<std::string_view>& configFolder,
                                    const std::string& home);

/// Replaces the account's drop in `dataFolder` atomically, mode 0600; a missing folder is made private.
[[nodiscard]] std::expected<void, std::string>
leave(const std::filesystem::path& dataFolder, const Figures& figures, std::string_view accountId = {});
/// The account's drop in `dataFolder`; absent when there is none or it cannot be read.
[[nodiscard]] std::optional<Figures> pickUp(const std::filesystem::path& dataFolder, std::string_view accountId = {});

/// Claude's reading made of the figures. The plan, account kind and reset
/// credits come from `previous`, the last full reading, since the status line
/// does not carry them.
[[nodiscard]] ProviderReading reading(const Figures& figures, const std::optional<ProviderReading>& previous);

/// Folds the figures into `saved` as the reading of Claude's account
/// `accountId` (the default one when empty), unless the last reading
/// is as new, or is another reader's, younger than `othersPreferredFor`
/// seconds and not followed by a failure, or repeats the same figures within
/// `repeatAfter` with no failure since. A fold clears the last failure but keeps the last attempt
/// time, which belongs to the schedule of Claude's own readers. Whether it did.
bool fold(Saved& saved, const Figures& figures, double othersPreferredFor, const std::string& accountId = {});

}  // namespace ostrel::ClaudeStatusLine
