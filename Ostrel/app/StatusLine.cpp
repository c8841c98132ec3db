#include "app/StatusLine.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "app/StatusFormats.h"
#include "model/ReadingsFile.h"
#include "platform/LoginItem.h"
#include "posix/UniqueFd.h"
#include "readers/ClaudeStatusLine.h"
#include "readers/ToolFolder.h"
#include "settings/AppSettings.h"

namespace ostrel {
namespace {

/// The Claude account Claude Code runs with: it passes its own environment,
/// CLAUDE_CONFIG_DIR included, to its status-line command.
[[nodiscard]] std::string runningAccount(const AppSettings& settings, const StatusOutput::Places& places)
{
    const std::string variable{ToolFolder::variable(Provider::claude)};
    const char* value = std::getenv(variable.c_str());  // NOLINT(concurrency-mt-unsafe): read before any thread starts
    return ClaudeStatusLine::accountOf(settings.accounts(Provider::claude),
                                       value ? std::optional<std::string_view>(value) : std::nullopt,
                                       places.home.string());
}

/// The enabled accounts' displays with Claude's other accounts left out: the
/// status line belongs to one Claude session, so it shows that account's allowance.
[[nodiscard]] std::vector<ProviderDisplay>
lineDisplays(const Saved& saved, const AppSettings& settings, const std::string& accountId, Date now)
{
    std::vector<ProviderDisplay> displays = StatusOutput::displays(saved, settings, now);
    std::erase_if(displays, [&accountId](const ProviderDisplay& display) {
        return display.provider == Provider::claude && display.accountId != accountId;
    });
    return displays;
}

}  // namespace

std::string StatusLine::readInput(int fd)
{
    using SteadyClock = std::chrono::steady_clock;
    const auto deadline = SteadyClock::now() + inputTime;
    std::string input;
    while (input.size() < inputLimit) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0 || (watched.revents & (POLLIN | POLLHUP)) == 0) {
            break;
        }
        const auto read =
            posix::readSome(fd, input, std::min<std::size_t>(std::size_t{64} * 1024, inputLimit - input.size()));
        // Claude Code writes one object; once it is whole there is nothing to wait for.
        if (!read || *read == 0 || nlohmann::json::accept(input)) {
            break;
        }
    }
    return input;
}

int StatusLine::run(std::string_view input, const StatusOutput::Places& places, const Clock& clock)
{
    constexpr int outputFd = 1;
    const Date now = clock();
    const AppSettings settings(places.settingsFolder, LoginItem::forCurrentUser());

    const std::string accountId = runningAccount(settings, places);
    const std::optional<ClaudeStatusLine::Figures> figures = ClaudeStatusLine::fromInput(input, now);
    Saved saved;
    if (places.dataFolder) {
        // The default accounts' snapshots come first in the file and are all a default session needs;
        // a named account's follow the history.
        const auto part = accountId.empty() ? ReadingsFile::Part::snapshots : ReadingsFile::Part::whole;
        if (auto read = ReadingsFile::read(ReadingsFile::filePath(*places.dataFolder), part)) {
            saved = std::move(*read);
        }
        if (figures) {
            // The app picks this up when it runs; nothing to say in the prompt when it cannot be left.
            static_cast<void>(ClaudeStatusLine::leave(*places.dataFolder, *figures, accountId));
        }
    }
    if (figures) {
        ClaudeStatusLine::fold(saved, *figures, settings.refreshMinutes() * 60.0, accountId);
    }
    std::string line = StatusFormats::render(StatusFormat::line, lineDisplays(saved, settings, accountId, now), now);
    // One line is all a status line shows.
    line.erase(std::min(line.find('\n'), line.size()));
    static_cast<void>(StatusOutput::writeAll(outputFd, line + '\n'));
    return 0;
}

}  // namespace ostrel
