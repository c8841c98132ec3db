#include "readers/ClaudeStatusLine.h"

#include <cmath>
#include <cstring>

#include <nlohmann/json.hpp>

#include "model/JsonReading.h"
#include "model/JsonText.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"
#include "readers/ToolFolder.h"

namespace ostrel::ClaudeStatusLine {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

/// A renewal further than this from the time received is no renewal of a
/// weekly or five-hour window, and is dropped rather than shown.
constexpr double renewalReach = 30 * 86400.0;
/// The drop is a few hundred bytes; anything much larger is not ours.
constexpr std::size_t dropLimit = std::size_t{64} * 1024;
/// A named account's drop is "<stem>-<id><suffix>", beside the default account's "<stem><suffix>".
constexpr std::string_view dropStem = "claude-status-line";
constexpr std::string_view dropSuffix = ".json";

[[nodiscard]] std::optional<json> parsed(std::string_view text)
{
    json value = JsonText::parse(text);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

/// A JSON number, and only that: Claude Code documents numbers here, so a
/// string or a flag in their place is something else and counts as missing.
[[nodiscard]] std::optional<double> number(const json* value)
{
    if (value == nullptr || !value->is_number()) {
        return std::nullopt;
    }
    const double figure = value->get<double>();
    return std::isfinite(figure) ? std::optional(figure) : std::nullopt;
}

[[nodiscard]] std::optional<UsageWindow>
window(const json* value, std::string_view usedKey, std::string_view resetsKey, double duration, Date receivedAt)
{
    const std::optional<double> used = number(JsonReading::member(value, usedKey));
    if (!used) {
        return std::nullopt;
    }
    UsageWindow result{.usedPercent = *used, .resetsAt = std::nullopt, .duration = duration};
    const std::optional<double> resets = number(JsonReading::member(value, resetsKey));
    if (resets && std::abs(*resets - secondsSince1970(receivedAt)) <= renewalReach) {
        result.resetsAt = dateFromSince1970(std::floor(*resets));
    }
    return result;
}

[[nodiscard]] json encoded(const UsageWindow& window)
{
    json value = {{"usedPercent", window.usedPercent}};
    if (window.resetsAt) {
        value["resetsAt"] = secondsSince1970(*window.resetsAt);
    }
    return value;
}

/// The folder `text` names, made canonical when it exists, so that a link or
/// a "." in either path does not hide that two name the same folder.
[[nodiscard]] std::optional<fs::path> folderOf(std::string_view text, const std::string& home)
{
    std::optional<fs::path> folder = ToolFolder::resolve(text, home);
    if (!folder) {
        return std::nullopt;
    }
    std::error_code error;
    if (fs::exists(*folder, error)) {
        fs::path canonical = fs::weakly_canonical(*folder, error);
        if (!error) {
            return canonical;
        }
    }
    return folder->lexically_normal();
}

[[nodiscard]] bool sameFigures(const ProviderReading& reading, const Figures& figures)
{
    return reading.weekly == figures.weekly && reading.session == figures.session;
}

}  // namespace

std::optional<Figures> fromInput(std::string_view input, Date receivedAt)
{
    const std::optional<json> value = parsed(input);
    if (!value) {
        return std::nullopt;
    }
    const json* limits = JsonReading::member(&*value, "rate_limits");
    std::optional<UsageWindow> weekly =
        window(JsonReading::member(limits, "seven_day"), "used_percentage", "resets_at", UsageWindow::week, receivedAt);
    if (!weekly) {
        return std::nullopt;
    }
    return Figures{.receivedAt = receivedAt,
                   .weekly = *weekly,
                   .session = window(JsonReading::member(limits, "five_hour"),
                                     "used_percentage",
                                     "resets_at",
                                     UsageWindow::fiveHours,
                                     receivedAt)};
}

std::string encode(const Figures& figures)
{
    json value = {{"receivedAt", secondsSince1970(figures.receivedAt)}, {"sevenDay", encoded(figures.weekly)}};
    if (figures.session) {
        value["fiveHour"] = encoded(*figures.session);
    }
    return value.dump() + '\n';
}

std::optional<Figures> decode(std::string_view text)
{
    const std::optional<json> value = parsed(text);
    const std::optional<double> received =
        value ? JsonReading::number(JsonReading::member(&*value, "receivedAt")) : std::nullopt;
    if (!received) {
        return std::nullopt;
    }
    const Date receivedAt = dateFromSince1970(*received);
    std::optional<UsageWindow> weekly =
        window(JsonReading::member(&*value, "sevenDay"), "usedPercent", "resetsAt", UsageWindow::week, receivedAt);
    if (!weekly) {
        return std::nullopt;
    }
    return Figures{.receivedAt = receivedAt,
                   .weekly = *weekly,
                   .session = window(JsonReading::member(&*value, "fiveHour"),
                                     "usedPercent",
                                     "resetsAt",
                                     UsageWindow::fiveHours,
                                     receivedAt)};
}

std::string dropName(std::string_view accountId)
{
    if (accountId.empty()) {
        return std::string{dropFileName};
    }
    return std::string{dropStem} + '-' + std::string{accountId} + std::string{dropSuffix};
}

std::optional<std::string> dropAccount(std::string_view fileName)
{
    if (fileName == dropFileName) {
        return std::string();
    }
    const std::string prefix = std::string{dropStem} + '-';
    if (!fileName.starts_with(prefix) || !fileName.ends_with(dropSuffix)) {
        return std::nullopt;
    }
    std::string id{fileName.substr(prefix.size(), fileName.size() - prefix.size() - dropSuffix.size())};
    return isAccountId(id) ? std::optional(std::move(id)) : std::nullopt;
}

std::string accountOf(std::span<const ToolAccount> accounts,
                      const std::optional<std::string_view>& configFolder,
                      const std::string& home)
{
    const std::optional<fs::path> running = configFolder ? folderOf(*configFolder, home) : std::nullopt;
    if (!running) {
        return {};
    }
    for (const ToolAccount& account : accounts) {
        if (!account.isDefault() && folderOf(account.folder.string(), home) == running) {
            return account.id;
        }
    }
    return {};
}

std::expected<void, std::string> leave(const fs::path& dataFolder, const Figures& figures, std::string_view accountId)
{
    if (const auto made = posix::createFolders(dataFolder, 0700); !made) {
        return std::unexpected("cannot make " + dataFolder.string() + ": "
                               + std::strerror(made.error()));  // NOLINT(concurrency-mt-unsafe)
    }
    const fs::path file = dataFolder / dropName(accountId);
    if (const auto written = posix::writeAtomically(file, encode(figures), 0600); !written) {
        return std::unexpected("cannot write " + file.string() + ": " + written.error().text());
    }
    return {};
}

std::optional<Figures> pickUp(const fs::path& dataFolder, std::string_view accountId)
{
    const auto text = posix::readWhole(dataFolder / dropName(accountId), dropLimit);
    return text ? decode(*text) : std::nullopt;
}

ProviderReading reading(const Figures& figures, const std::optional<ProviderReading>& previous)
{
    ProviderReading made{.provider = Provider::claude,
                         .fetchedAt = figures.receivedAt,
                         .weekly = figures.weekly,
                         .session = figures.session,
                         .source = std::string{source}};
    if (previous) {
        made.plan = previous->plan;
        made.kind = previous->kind;
        made.resetCredits = previous->resetCredits;
        // The status line tells the week and the session only; the other windows stay as last read.
        made.otherWindows = previous->otherWindows;
    }
    return made;
}

bool fold(Saved& saved, const Figures& figures, double othersPreferredFor, const std::string& accountId)
{
    const AccountKey account{Provider::claude, accountId};
    // Map entries stay where they are when others are added, so the reference outlives the record below.
    ProviderSnapshot& snapshot =
        accountId.empty() ? saved.snapshots[Provider::claude] : saved.accounts[account].snapshot;
    if (const std::optional<ProviderReading>& last = snapshot.lastReading) {
        const double age = (figures.receivedAt - last->fetchedAt).count();
        const bool ours = last->source == source;
        if (age <= 0 || (!ours && !snapshot.lastFailure && age < othersPreferredFor)
            || (ours && !snapshot.lastFailure && sameFigures(*last, figures) && age < repeatAfter)) {
            return false;
        }
    }
    const std::optional<Date> lastAttempt = snapshot.lastAttemptAt;
    ReadingsFile::record(saved, account, reading(figures, snapshot.lastReading), figures.receivedAt);
    snapshot.lastAttemptAt = lastAttempt;
    return true;
}

}  // namespace ostrel::ClaudeStatusLine
