#include "model/ProviderDisplay.h"

#include <string_view>

#include "model/RelativeAge.h"
#include "model/ToolAccount.h"
#include "posix/ShellWord.h"

namespace ostrel {
namespace {

using Status = ProviderDisplay::Status;

// The report names Codex's maker and product together; the panel uses
// displayName.
std::string_view reportName(Provider provider)
{
    return provider == Provider::claude ? "Claude" : "OpenAI/Codex";
}

bool isNotLoggedIn(const std::optional<FetchFailure>& failure)
{
    return failure && failure->kind == FetchFailure::Kind::notLoggedIn;
}

Status statusWithoutReading(const std::optional<FetchFailure>& failure)
{
    if (!failure) {
        return Status::loading;
    }
    switch (failure->kind) {
    case FetchFailure::Kind::notLoggedIn:
        return Status::needsLogin;
    case FetchFailure::Kind::cliMissing:
        return Status::cliMissing;
    case FetchFailure::Kind::unreachable:
    case FetchFailure::Kind::unexpected:
        return Status::unavailable;
    }
    return Status::unavailable;
}

}  // namespace

ProviderDisplay ProviderDisplay::make(const std::optional<ProviderSnapshot>& snapshot,
                                      Provider provider,
                                      Date now,
                                      double staleAfter,
                                      std::span<const AllowancePoint> weeklyHistory)
{
    ProviderDisplay display{.provider = provider};
    if (snapshot) {
        display.reading = snapshot->lastReading;
        display.failure = snapshot->lastFailure;
    }
    display.resetCredits =
        ResetCreditStatus::make(display.reading ? display.reading->resetCredits : std::vector<ResetCredit>{}, now);
    if (!display.reading) {
        display.status = statusWithoutReading(display.failure);
        return display;
    }

    // A sign-in failure outranks what the last reading would say otherwise.
    const bool needsLogin = isNotLoggedIn(display.failure);
    const auto usual = [needsLogin](Status otherwise) {
        return needsLogin ? Status::needsLogin : otherwise;
    };
    const ProviderReading& reading = *display.reading;
    if (reading.kind == AccountKind::apiBilling) {
        display.status = usual(Status::apiBilling);
        return display;
    }
    if (reading.kind == AccountKind::enterprise && !reading.weekly) {
        display.status = usual(Status::enterprise);
        return display;
    }
    if (!reading.weekly) {
        display.status = usual(Status::unavailable);
        return display;
    }
    if (reading.weekly->resetsAt && *reading.weekly->resetsAt <= now) {
        display.status = usual(Status::renewed);
        return display;
    }

    display.pace = Pace::make(*reading.weekly, now);
    display.windows = windowOutlooks(reading, weeklyHistory, now);
    if (!display.failure) {
        // A reading dated in the future counts as fresh.
        display.status = (now - reading.fetchedAt).count() <= staleAfter ? Status::live : Status::stale;
    } else {
        display.status = needsLogin ? Status::needsLogin : Status::stale;
    }
    return display;
}

std::string ProviderDisplay::title() const
{
    return ToolAccount{.provider = provider, .id = accountId, .name = accountName}.title();
}

std::string ProviderDisplay::signInCommand() const
{
    std::string command(loginCommand(provider));
    if (accountFolder.empty()) {
        return command;
    }
    return std::string(folderVariable(provider)) + "=" + posix::shellWord(accountFolder) + " " + command;
}

std::string ProviderDisplay::summaryLine(Date now) const
{
    const std::string name = accountId.empty() ? std::string(reportName(provider)) : title();
    switch (status) {
    case Status::live:
        if (pace) {
            return pace->emojiLine(name);
        }
        break;
    case Status::stale:
        if (pace && reading) {
            return pace->emojiLine(name) + " \u00B7 stale (" + RelativeAge::text(reading->fetchedAt, now) + " old)";
        }
        break;
    case Status::renewed:
        return name + " \u00B7 renewed since last reading";
    case Status::enterprise:
        return name + " \u00B7 enterprise plan, no weekly allowance";
    case Status::apiBilling:
        return name + " \u00B7 API billing, no weekly allowance";
    case Status::needsLogin:
        return name + " \u00B7 sign in: " + signInCommand();
    case Status::cliMissing:
        return name + " \u00B7 " + std::string(cliName(provider)) + " CLI not found";
    case Status::loading:
    case Status::unavailable:
        break;
    }
    return name + " \u00B7 unavailable";
}

std::optional<std::string> ProviderDisplay::resetCreditLine() const
{
    std::optional<std::string> headline = resetCredits.headline();
    if (!headline) {
        return std::nullopt;
    }
    const std::string_view prefix = resetCredits.expiringSoon.empty() ? "\u21B3 \U0001F501 " : "\u21B3 \u26A0\uFE0F ";
    return std::string(prefix) + *headline;
}

std::optional<std::string> ProviderDisplay::bindingLine(Date now) const
{
    const auto first = binding();
    if (!first || first->key == WindowOutlook::weeklyKey) {
        return std::nullopt;
    }
    return "\u21B3 " + runOutSentence(*first, now);
}

std::vector<std::string> ProviderDisplay::reportLines(Date now) const
{
    std::vector<std::string> lines{summaryLine(now)};
    if (std::optional<std::string> sentence = bindingLine(now)) {
        lines.push_back(std::move(*sentence));
    }
    if (std::optional<std::string> credits = resetCreditLine()) {
        lines.push_back(std::move(*credits));
    }
    return lines;
}

}  // namespace ostrel
