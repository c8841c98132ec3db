#include "app/StatusOutput.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <future>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/StatusFormats.h"
#include "model/AlertStateFile.h"
#include "model/ProviderDisplay.h"
#include "model/ReadingsFile.h"
#include "model/ReadingsWriter.h"
#include "platform/LoginItem.h"
#include "platform/QuitSignals.h"
#include "posix/UniqueFd.h"
#include "readers/ProcessRunner.h"
#include "settings/AppSettings.h"
#include "store/UsageReaders.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

constexpr int outputFd = 1;
constexpr int errorFd = 2;
/// How soon a quit signal is taken while the providers are read.
constexpr std::chrono::milliseconds signalCheck{25};

void complain(const std::string& message)
{
    static_cast<void>(StatusOutput::writeAll(errorFd, "ostrel: " + message + '\n'));
}

[[nodiscard]] std::optional<std::string_view> environment(const char* name)
{
    const char* value = std::getenv(name);  // NOLINT(concurrency-mt-unsafe): read before any thread starts
    return value ? std::optional<std::string_view>{value} : std::nullopt;
}

/// One line, for standard error, of why the file gave no readings.
[[nodiscard]] std::string problem(const ReadingsFileFailure& failure, const fs::path& file)
{
    if (failure.kind == ReadingsFileFailure::Kind::missing) {
        return "no readings yet in " + file.string() + ": start Ostrel, or run ostrel --status --refresh";
    }
    std::string line = "cannot read " + file.string();
    if (!failure.detail.empty()) {
        line += ": " + failure.detail;
    }
    return line + " (left as it is)";
}

/// Ends the process at a quit signal during a refresh: the tools' process groups
/// are ended (SIGKILL after the grace for those that ignore SIGTERM) and nothing
/// is saved. A reading still in a network call is not waited for, nor are the
/// objects it uses torn down under it: the process ends at once.
[[noreturn]] void quitDuringRefresh(int signal)
{
    ProcessRunner::terminateAll();
    complain(std::string("stopped by SIG") + sigabbrev_np(signal) + "; nothing was saved");
    std::_Exit(128 + signal);
}

/// What the text outputs read of the file: the snapshots alone (the history,
/// most of the file, comes before the named accounts) unless there are named accounts to show.
ReadingsFile::Part partShown(const AppSettings& settings)
{
    return settings.enabledAccounts().size() > settings.enabledProviders().size() ? ReadingsFile::Part::whole
                                                                                  : ReadingsFile::Part::snapshots;
}

/// One attempt at each enabled account, all at once, recorded as the store records
/// them. The quit signals (blocked in every thread) are taken all the while.
void refresh(Saved& saved, const AppSettings& settings, const UsageReaders::Read& read, const Clock& clock)
{
    std::vector<std::pair<AccountKey, std::future<FetchResult>>> pending;
    for (const ToolAccount& account : settings.enabledAccounts()) {
        // A thread of its own, not std::async, whose future would wait for it when dropped.
        std::packaged_task<FetchResult()> reading(
            [&read, provider = account.provider, choice = settings.toolChoice(account), &clock] {
                return read(provider, choice, clock());
            });
        pending.emplace_back(account.key(), reading.get_future());
        std::thread(std::move(reading)).detach();
    }
    const sigset_t quitSignals = QuitSignals::signalSet();
    for (auto& [account, result] : pending) {
        while (result.wait_for(signalCheck) != std::future_status::ready) {
            const timespec now{};
            if (const int signal = ::sigtimedwait(&quitSignals, nullptr, &now); signal > 0) {
                quitDuringRefresh(signal);
            }
        }
    }
    for (auto& [account, result] : pending) {
        ReadingsFile::record(saved, account, result.get(), clock());
    }
    // Tools ended early get SIGKILL after their grace here, not on a thread that dies with the process.
    ProcessRunner::terminateAll();
}

/// The folder's events that concern the readings file; the temporary files of
/// an atomic save do not count, only the rename that puts one in place.
class FolderWatch
{
public:
    explicit FolderWatch(const fs::path& folder)
        : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_fd.isOpen()
            && ::inotify_add_watch(m_fd.get(), folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM)
                   < 0) {
            m_fd.reset();
        }
    }

    [[nodiscard]] int fd() const
    {
        return m_fd.get();
    }

    /// Reads every pending event: whether one names the readings file or the alert state.
    [[nodiscard]] bool drainForFile()
    {
        bool touched = false;
        std::string events;
        while (true) {
            events.clear();
            const auto read = posix::readSome(m_fd.get(), events, std::size_t{64} * 1024);
            if (!read || *read == 0) {
                return touched;
            }
            touched = touched || namesFile(events);
        }
    }

private:
    [[nodiscard]] static bool namesFile(std::string_view events)
    {
        while (events.size() >= sizeof(inotify_event)) {
            inotify_event event{};
            std::memcpy(&event, events.data(), sizeof event);
            const std::size_t size = sizeof event + event.len;
            if (size > events.size()) {
                break;
            }
            const std::string_view name(events.data() + sizeof event, event.len);
            const std::string_view changed = name.substr(0, name.find('\0'));
            if (changed == ReadingsFile::fileName || changed == AlertStateFile::fileName) {
                return true;
            }
            events.remove_prefix(size);
        }
        return false;
    }

    posix::UniqueFd m_fd;
};

/// Prints one update for whatever the readings file holds now; false once the output is gone.
class Printer
{
public:
    Printer(StatusFormat format, const AppSettings& settings, fs::path file, const Clock& clock)
        : m_format(format)
        , m_settings(settings)
        , m_file(std::move(file))
        , m_clock(clock)
    {}

    /// Reads the file again; a file that cannot be read leaves the last state shown.
    void reload()
    {
        // The app's own record of what alerted; without one the output says nothing fired.
        m_alerts = AlertStateFile::load(AlertStateFile::filePath(m_file.parent_path()));
        auto read = ReadingsFile::read(m_file, partShown(m_settings));
        if (read) {
            m_saved = std::move(*read);
        } else {
            complain(problem(read.error(), m_file));
        }
    }

    void show(Saved saved)
    {
        m_saved = std::move(saved);
        m_alerts = AlertStateFile::load(AlertStateFile::filePath(m_file.parent_path()));
    }

    [[nodiscard]] bool print() const
    {
        const Date now = m_clock();
        return StatusOutput::writeAll(
            outputFd,
            StatusFormats::render(m_format, StatusOutput::displays(m_saved, m_settings, now), now, m_alerts));
    }

private:
    StatusFormat m_format;
    const AppSettings& m_settings;
    fs::path m_file;
    const Clock& m_clock;
    Saved m_saved;
    std::optional<AlertState> m_alerts;
};

[[nodiscard]] int watch(Printer& printer, const fs::path& folder)
{
    // Made as a save makes it, so a bar can start before the app ever ran.
    std::error_code ignored;
    if (fs::create_directories(folder, ignored)) {
        fs::permissions(folder, fs::perms::owner_all, ignored);
    }
    FolderWatch files(folder);
    if (files.fd() < 0) {
        complain("cannot watch " + folder.string());
        return StatusOutput::noReadings;
    }
    const sigset_t quitSignals = QuitSignals::signalSet();
    const posix::UniqueFd signals(::signalfd(-1, &quitSignals, SFD_CLOEXEC | SFD_NONBLOCK));

    printer.reload();
    auto nextTick = SteadyClock::now();
    while (true) {
        if (SteadyClock::now() >= nextTick) {
            if (!printer.print()) {
                return StatusOutput::succeeded;
            }
            nextTick = SteadyClock::now() + std::chrono::seconds(StatusOutput::tickSeconds);
        }
        // Standard output asks for no event: poll reports its error or hang-up
        // when the reading end closes, which is when a bar stops the module.
        std::array<pollfd, 3> watched{{{files.fd(), POLLIN, 0}, {signals.get(), POLLIN, 0}, {outputFd, 0, 0}}};
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(nextTick - SteadyClock::now());
        const int ready = ::poll(watched.data(),
                                 watched.size(),
                                 static_cast<int>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)));
        if (ready < 0 && errno != EINTR) {
            return StatusOutput::succeeded;
        }
        if ((watched[1].revents & POLLIN) != 0 || (watched[2].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
            return StatusOutput::succeeded;
        }
        if ((watched[0].revents & POLLIN) != 0 && files.drainForFile()) {
            printer.reload();
            nextTick = SteadyClock::now();
        }
    }
}

}  // namespace

std::vector<ProviderDisplay> StatusOutput::displays(const Saved& saved, const AppSettings& settings, Date now)
{
    std::vector<ProviderDisplay> list;
    const double staleAfter = ProviderDisplay::staleAfterFor(settings.refreshMinutes());
    for (const ToolAccount& account : settings.enabledAccounts()) {
        const ProviderSnapshot* snapshot = ReadingsFile::snapshotOf(saved, account.key());
        ProviderDisplay& shown =
            list.emplace_back(ProviderDisplay::make(snapshot ? std::optional(*snapshot) : std::nullopt,
                                                    account.provider,
                                                    now,
                                                    staleAfter));
        shown.accountId = account.id;
        shown.accountName = account.isDefault() ? std::string() : account.name;
    }
    return list;
}

bool StatusOutput::writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = posix::writeSome(fd, bytes);
        if (!written) {
            return false;
        }
        bytes.remove_prefix(*written);
    }
    return true;
}

StatusOutput::Places StatusOutput::forCurrentUser()
{
    const std::optional<std::string_view> home = environment("HOME");
    Places places;
    places.dataFolder = ReadingsFile::dataFolder(environment("XDG_DATA_HOME"), home);
    places.home = home ? fs::path(*home) : fs::path{};
    places.settingsFolder = AppSettings::userFolder();
    return places;
}

int StatusOutput::run(const LaunchOptions& options,
                      const Places& places,
                      const Clock& clock,
                      const UsageReaders::Read& read)
{
    const std::string formatName = options.statusFormat.value_or("text");
    const std::optional<StatusFormat> format = StatusFormats::fromName(formatName);
    if (!format) {
        complain("unknown format \"" + formatName + "\"; use one of " + std::string{StatusFormats::names});
        return badOption;
    }
    if (!places.dataFolder) {
        complain("no data folder: neither XDG_DATA_HOME nor HOME names one");
        return noReadings;
    }
    const AppSettings settings(places.settingsFolder, LoginItem::forCurrentUser());
    const fs::path file = ReadingsFile::filePath(*places.dataFolder);
    Printer printer(*format, settings, file, clock);
    if (options.watch) {
        return watch(printer, *places.dataFolder);
    }

    // A refresh saves the file again, history and all.
    auto saved = ReadingsFile::read(file, options.refresh ? ReadingsFile::Part::whole : partShown(settings));
    const bool startAfresh = options.refresh && !saved && saved.error().kind == ReadingsFileFailure::Kind::missing;
    if (!saved && !startAfresh) {
        // Never replaced here: the app sets an unreadable file aside itself, keeping a copy.
        complain(problem(saved.error(), file));
        return noReadings;
    }
    Saved state = saved ? std::move(*saved) : Saved{};
    int status = succeeded;
    if (options.refresh && read) {
        refresh(state, settings, read, clock);
        // What the app or another refresh saved meanwhile is taken in, not overwritten.
        if (const auto written = ReadingsWriter(file).save(state, clock()); !written) {
            complain("cannot save " + file.string() + ": " + written.error().detail);
            status = noReadings;
        }
    }
    printer.show(std::move(state));
    // A reader that stopped early (`| head -1`) wanted no more; that is no failure.
    static_cast<void>(printer.print());
    return status;
}

}  // namespace ostrel
