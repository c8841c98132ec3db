#include "readers/CodexFetcher.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "model/JsonText.h"
#include "posix/ReadOnlyFile.h"
#include "readers/CodexAppServer.h"
#include "readers/CodexUsageParser.h"
#include "readers/ProcessRunner.h"
#include "readers/TokenScrubber.h"
#include "readers/ToolLocator.h"
#include "readers/Utf8.h"

namespace ostrel {
namespace {

/// Enough of a long error to say what went wrong, short enough for the panel.
constexpr std::size_t stderrTailLength = 200;
/// The credentials are a few kilobytes; anything this large is not them.
constexpr std::uint64_t largestAuthFile = std::uint64_t{1024} * 1024;

/// Remembers every secret of the credentials codex keeps: auth.json in its folder.
void rememberCredentials(TokenScrubber& tokens, const ToolFolder& folder)
{
    if (const auto bytes =
            posix::readWhole(folder.path / ToolFolder::credentialsName(Provider::openai), largestAuthFile)) {
        for (const std::string& secret : TokenScrubber::secretsIn(JsonText::parse(*bytes))) {
            tokens.remember(secret);
        }
    }
}

[[nodiscard]] const nlohmann::json* resultOf(const std::map<std::int64_t, CodexAppServer::Response>& replies,
                                             std::int64_t id)
{
    const auto found = replies.find(id);
    if (found == replies.end()) {
        return nullptr;
    }
    const auto& result = found->second.result;
    return result.has_value() ? &*result : nullptr;
}

[[nodiscard]] std::string_view trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\n\r\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

/// Why a server that never answered the rate-limit request gave nothing.
[[nodiscard]] FetchFailure silentServerFailure(const ProcessOutput& output, const TokenScrubber& tokens)
{
    if (output.timedOut) {
        return FetchFailure::unreachable("Codex app-server timed out");
    }
    // Scrubbed whole, before the cut: a cut secret is harder to find.
    const std::string errorText = tokens.scrub(output.stderrText());
    const std::string_view tail = lastCharacters(trimmed(errorText), stderrTailLength);
    if (CodexUsageParser::looksSignedOut(tail)) {
        return FetchFailure::notLoggedIn();
    }
    if (!tail.empty()) {
        return FetchFailure::unreachable(std::string(tail));
    }
    return FetchFailure::unreachable("Codex app-server exited without answering");
}

}  // namespace

CodexFetcher::CodexFetcher(Options options)
    : m_options(std::move(options))
{}

FetchResult CodexFetcher::fetch(Date now) const
{
    // The server's errors end up in failure texts, and it might echo a token.
    TokenScrubber tokens;
    return tokens.scrub(fetch(now, tokens));
}

FetchResult CodexFetcher::fetch(Date now, TokenScrubber& tokens) const
{
    ToolLocator& locator = m_options.locator != nullptr ? *m_options.locator : ToolLocator::shared();
    const auto executable = locator.locate("codex", m_options.executableOverride);
    if (!executable) {
        return std::unexpected(FetchFailure::cliMissing());
    }
    const ToolFolder folder = locator.folder(Provider::openai, m_options.folderSetting);
    const auto environment = locator.environment(*executable, folder);
    rememberCredentials(tokens, folder);
    // The server quits as soon as its standard input closes, so the runner keeps
    // it open until the wanted replies are in.
    const auto run = ProcessRunner::run(*executable,
                                        {"app-server"},
                                        environment,
                                        std::nullopt,
                                        CodexAppServer::requests(),
                                        m_options.timeout,
                                        CodexAppServer::ReplyWatch{});
    if (!run) {
        const auto& failure = run.error();
        const bool launch = failure.kind == ProcessRunner::Failure::Kind::launch;
        return std::unexpected(
            FetchFailure::unreachable(launch ? "Couldn't start Codex: " + failure.description : failure.description));
    }

    const auto replies = CodexAppServer::responses(run->stdoutBytes);
    const auto rateLimits = replies.find(CodexAppServer::rateLimitsId);
    if (rateLimits == replies.end()) {
        return std::unexpected(silentServerFailure(*run, tokens));
    }
    // A rate-limit reply that came in time is used even when the run then timed out.
    auto reading = CodexUsageParser::parse(resultOf(replies, CodexAppServer::accountId),
                                           resultOf(replies, CodexAppServer::rateLimitsId),
                                           rateLimits->second.error,
                                           now);
    if (reading) {
        reading->accountUsage =
            CodexUsageParser::parseAccountTokenUsage(resultOf(replies, CodexAppServer::accountUsageId));
    }
    return reading;
}

}  // namespace ostrel
