#include "readers/ClaudeFetcher.h"

#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include <unicode/timezone.h>
#include <unicode/unistr.h>

#include "posix/ReadOnlyFile.h"
#include "readers/ClaudeCliOutput.h"
#include "readers/ClaudeUsageParser.h"
#include "readers/TokenScrubber.h"
#include "readers/ToolLocator.h"

namespace ostrel {
namespace {

/// The keyring item the claude tool stores its OAuth credentials under.
constexpr std::string_view keyringService = "Claude Code-credentials";
/// Credentials are a few hundred bytes; anything this large is not them.
constexpr std::uintmax_t largestCredentialsFile = std::uintmax_t{1024} * 1024;

constexpr std::string_view signInExpired = "Sign-in has expired and the claude CLI wasn't found to refresh it";

/// The result with every secret this fetch has read kept out of its texts.
[[nodiscard]] FetchResult scrubbed(FetchResult result, const TokenScrubber& tokens)
{
    return tokens.scrub(std::move(result));
}

/// Remembers every secret of credentials that were read.
void remember(TokenScrubber& tokens, const std::optional<ClaudeCredentials>& credentials)
{
    if (credentials) {
        for (const std::string& secret : credentials->secrets) {
            tokens.remember(secret);
        }
        tokens.remember(credentials->accessToken);
    }
}

/// The tool stored another token than the one read before it ran (or one where there was none).
[[nodiscard]] bool tokenChanged(const std::optional<ClaudeCredentials>& before,
                                const std::optional<ClaudeCredentials>& after)
{
    return after && (!before || before->accessToken != after->accessToken);
}

[[nodiscard]] std::unique_ptr<icu::TimeZone> zoneNamed(const std::optional<std::string>& identifier)
{
    if (!identifier) {
        return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createDefault());
    }
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(*identifier)));
}

}  // namespace

ClaudeFetcher::ClaudeFetcher(Options options)
    : m_options(std::move(options))
{}

ToolLocator& ClaudeFetcher::locator() const
{
    return m_options.locator != nullptr ? *m_options.locator : ToolLocator::shared();
}

FetchResult ClaudeFetcher::fetch(Date now) const
{
    // The tool's output ends up in failure texts, and it might echo a token.
    TokenScrubber tokens;
    const ToolFolder folder = locator().folder(Provider::claude, m_options.folderSetting);
    // The file is read whether or not the keyring has an item: the tool
    // refreshes tokens into it, and only a change there tells of a refresh.
    const auto fileBefore = fileCredentials(folder);
    const auto credentials = readCredentials(folder, fileBefore);
    remember(tokens, credentials);
    remember(tokens, fileBefore);
    std::optional<FetchFailure> apiFailure;
    if (auto answer = callEndpoint(credentials, now)) {
        if (*answer) {
            return scrubbed(std::move(*answer), tokens);
        }
        apiFailure = std::move(answer->error());
    }

    const auto executable = locator().locate("claude", m_options.executableOverride);
    if (!executable) {
        if (!credentials) {
            return std::unexpected(FetchFailure::cliMissing());
        }
        return scrubbed(std::unexpected(apiFailure.value_or(FetchFailure::unreachable(std::string(signInExpired)))),
                        tokens);
    }
    const auto environment = locator().environment(*executable, folder);
    const auto verdict = [&] {
        return authStatus(*executable, environment, m_options.statusTimeout, now);
    };

    auto text = runUsageCommand(*executable, environment, m_options.commandTimeout, tokens);
    if (!text) {
        if (const auto* run = std::get_if<ProcessRunner::Failure>(&text.error())) {
            return scrubbed(std::unexpected(apiFailure.value_or(FetchFailure::unreachable(run->description))), tokens);
        }
    }

    // Whatever the tool printed, it may have refreshed the token while it ran:
    // a new one gets one more try at the endpoint before any failure is told.
    // The tool stores a refreshed token in its credentials file, not in the
    // keyring, so the file alone is read again: a second keyring lookup would
    // cost another child process and find only the token read before.
    const auto fileAfter = fileCredentials(folder);
    remember(tokens, fileAfter);
    const auto& refreshed = tokenChanged(fileBefore, fileAfter) ? fileAfter : credentials;
    std::optional<FetchFailure> retryFailure;
    if (auto answer = tokenChanged(credentials, refreshed) ? callEndpoint(refreshed, now) : std::nullopt) {
        if (*answer) {
            return scrubbed(std::move(*answer), tokens);
        }
        retryFailure = std::move(answer->error());
    }
    // The newest word from the endpoint explains a failure best.
    const auto endpointFailure = retryFailure ? retryFailure : apiFailure;

    if (!text) {
        if (auto status = verdict()) {
            return scrubbed(std::move(*status), tokens);
        }
        return scrubbed(std::unexpected(endpointFailure.value_or(std::get<FetchFailure>(text.error()))), tokens);
    }
    const ClaudePlan plan = refreshed ? refreshed->plan : ClaudePlan{};
    auto parsed = parseReport(*text, plan, now);
    if (parsed) {
        return scrubbed(std::move(parsed), tokens);
    }
    if (auto status = verdict()) {
        return scrubbed(std::move(*status), tokens);
    }
    // A report without an allowance says more than the first endpoint failure
    // (the usual case: the tool prints a cost summary), but a refreshed token's
    // failure is fresher news than either.
    return scrubbed(retryFailure ? std::unexpected(std::move(*retryFailure)) : std::move(parsed), tokens);
}

std::optional<FetchResult> ClaudeFetcher::callEndpoint(const std::optional<ClaudeCredentials>& credentials,
                                                       Date now) const
{
    if (m_options.cliOnly || !credentials || !credentials->isFresh(now)) {
        return std::nullopt;
    }
    return ClaudeUsageEndpoint::call(*credentials, m_options.endpoint, now);
}

FetchResult ClaudeFetcher::parseReport(const std::string& text, const ClaudePlan& plan, Date now) const
{
    const auto zone = zoneNamed(m_options.timeZone);
    if (!zone) {
        return std::unexpected(FetchFailure::unexpected("no time zone to read `claude /usage` in"));
    }
    return ClaudeUsageParser::parseCLIText(text, plan, now, *zone);
}

std::optional<ClaudeCredentials> ClaudeFetcher::readCredentials(const ToolFolder& folder,
                                                                std::optional<ClaudeCredentials> file) const
{
    if (folder.isStandardPlace(locator().home())) {
        if (auto credentials = keyringCredentials()) {
            return credentials;
        }
    }
    return file;
}

std::optional<ClaudeCredentials> ClaudeFetcher::keyringCredentials() const
{
    // A name is searched for; a path is taken as it is (and must be executable).
    const bool isPath = m_options.keyringTool.find('/') != std::string::npos;
    const auto tool = isPath ? locator().locate("secret-tool", m_options.keyringTool)
                             : locator().locate(m_options.keyringTool, std::nullopt);
    if (!tool) {
        return std::nullopt;
    }
    const auto run = ProcessRunner::run(*tool,
                                        {"lookup", "service", std::string(keyringService)},
                                        std::nullopt,
                                        std::nullopt,
                                        std::nullopt,
                                        m_options.keyringTimeout);
    if (!run || run->status != 0) {
        return std::nullopt;
    }
    return ClaudeCredentials::parse(run->stdoutBytes);
}

std::optional<ClaudeCredentials> ClaudeFetcher::fileCredentials(const ToolFolder& folder)
{
    // Anything but a regular file (a FIFO would block the read) holds no credentials;
    // the tool may rewrite the file meanwhile, and a torn copy simply fails to parse.
    const auto bytes =
        posix::readWhole(folder.path / ToolFolder::credentialsName(Provider::claude), largestCredentialsFile);
    return bytes ? ClaudeCredentials::parse(*bytes) : std::nullopt;
}

std::expected<std::string, ClaudeFetcher::CommandFailure>
ClaudeFetcher::runUsageCommand(const std::filesystem::path& executable,
                               const ProcessRunner::Environment& environment,
                               Seconds timeout,
                               const TokenScrubber& tokens)
{
    // The tool's hooks could run anything of the user's; this read-only check
    // must not set them off, nor leave a session behind.
    const auto run = ProcessRunner::run(executable,
                                        {"-p",
                                         "/usage",
                                         "--no-session-persistence",
                                         "--output-format",
                                         "json",
                                         "--settings",
                                         R"({"disableAllHooks":true})"},
                                        environment,
                                        std::nullopt,
                                        std::nullopt,
                                        timeout);
    if (!run) {
        return std::unexpected(run.error());
    }
    // Scrubbed whole, before any cut: a cut token is no longer found.
    auto text =
        ClaudeCliOutput::usageText(tokens.scrub(run->stdoutText()), tokens.scrub(run->stderrText()), run->timedOut);
    if (!text) {
        return std::unexpected(std::move(text.error()));
    }
    return std::move(*text);
}

std::optional<FetchResult> ClaudeFetcher::authStatus(const std::filesystem::path& executable,
                                                     const ProcessRunner::Environment& environment,
                                                     Seconds timeout,
                                                     Date now)
{
    const auto run =
        ProcessRunner::run(executable, {"auth", "status", "--json"}, environment, std::nullopt, std::nullopt, timeout);
    if (!run) {
        return std::nullopt;
    }
    return ClaudeCliOutput::authVerdict(run->stdoutText(), now);
}

}  // namespace ostrel
