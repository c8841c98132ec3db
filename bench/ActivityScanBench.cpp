// Times the activity scanner over a folder of session logs made by
// tests/fixtures/gen-session-logs: a cold first scan of both providers and of
// each alone, an unchanged rescan, a rescan after appending 1 MB to one log,
// and the cache's encoding, decoding, save and load, with `cat` of the same
// files, one stat pass and a read of 1 MB for reference. Ratios to the
// references are taken in the same run, so they hold on a busy machine.
//
//   ActivityScanBench HOME [NOW]     (NOW: ISO 8601; default: the end in HOME/expected.json)

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "activity/ActivityCache.h"
#include "activity/ActivityScanner.h"
#include "posix/ReadOnlyFile.h"
#include "readers/DateParsing.h"

namespace {

namespace fs = std::filesystem;
using namespace ostrel;

/// User plus system CPU time of this process so far, in seconds.
[[nodiscard]] double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto time = [](const timeval& value) {
        return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) * 1e-6;
    };
    return time(usage.ru_utime) + time(usage.ru_stime);
}

/// The same for the children that have ended.
[[nodiscard]] double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

/// Wall time of `work`; its CPU time goes to `cpu` when given. On a busy
/// machine the two differ, and the CPU time says what the code costs.
double seconds(const std::function<void()>& work, double* cpu = nullptr)
{
    const double cpuStart = cpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (cpu != nullptr) {
        *cpu = cpuSeconds() - cpuStart;
    }
    return wall;
}

/// A field of /proc/self/status in KiB (VmRSS, VmHWM).
[[nodiscard]] std::int64_t statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":")) {
            std::istringstream value(line.substr(field.size() + 1));
            std::int64_t kib = -1;
            value >> kib;
            return kib;
        }
    }
    return -1;
}

/// Starts a new peak: writing 5 to clear_refs resets VmHWM to the current RSS.
void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

/// The log folders of one provider, or of both.
[[nodiscard]] std::vector<const char*> rootsOf(std::optional<Provider> provider)
{
    if (!provider) {
        return {".claude/projects", ".codex/sessions", ".codex/archived_sessions"};
    }
    return *provider == Provider::claude ? std::vector{".claude/projects"}
                                         : std::vector{".codex/sessions", ".codex/archived_sessions"};
}

[[nodiscard]] std::vector<fs::path> logs(const fs::path& home, std::optional<Provider> provider = std::nullopt)
{
    std::vector<fs::path> found;
    for (const auto* root : rootsOf(provider)) {
        std::error_code error;
        for (fs::recursive_directory_iterator it(home / root, error), end; !error && it != end; it.increment(error)) {
            if (it->path().extension() == ".jsonl") {
                found.push_back(it->path());
            }
        }
    }
    return found;
}

[[nodiscard]] Date defaultNow(const fs::path& home)
{
    std::ifstream stream(home / "expected.json");
    const auto expected = nlohmann::json::parse(stream, nullptr, false);
    if (expected.is_object() && expected.contains("args")) {
        if (auto end = DateParsing::iso8601(expected["args"].value("end", ""))) {
            return *end + Seconds{600};
        }
    }
    return std::chrono::time_point_cast<Seconds>(std::chrono::system_clock::now());
}

/// The sum of both providers' totals in the generator's expected.json.
[[nodiscard]] std::optional<std::int64_t> expectedTokens(const fs::path& home)
{
    std::ifstream stream(home / "expected.json");
    const auto expected = nlohmann::json::parse(stream, nullptr, false);
    if (!expected.is_object()) {
        return std::nullopt;
    }
    std::int64_t sum = 0;
    for (const char* provider : {"claude", "codex"}) {
        sum += expected.value(nlohmann::json::json_pointer("/" + std::string(provider) + "/totals/total"),
                              std::int64_t{0});
    }
    return sum;
}

struct Totals
{
    double wall = 0;
    double cpu = 0;
    std::int64_t tokens = 0;  ///< both providers, the whole look-back
    std::uint64_t bytes = 0;
    std::size_t filesRead = 0;
    std::size_t filesListed = 0;
};

[[nodiscard]] Totals
scanBoth(ActivityScanner& scanner, const fs::path& home, Date now, std::optional<Provider> only = std::nullopt)
{
    Totals totals;
    totals.wall = seconds(
        [&] {
            for (const Provider provider : allProviders) {
                if (only && provider != *only) {
                    continue;
                }
                const fs::path folder = home / (provider == Provider::claude ? ".claude" : ".codex");
                totals.tokens +=
                    scanner.scan(provider, folder, now).tokens.total(ActivityScanner::lookback, now).total();
                const auto report = scanner.lastReport();
                totals.bytes += report.bytesRead;
                totals.filesRead += report.filesRead;
                totals.filesListed += report.filesListed;
            }
        },
        &totals.cpu);
    return totals;
}

/// CPU time of `cat` over the files (the first of two runs warms the page
/// cache), given to it by xargs: a command line of thousands of paths is too long.
[[nodiscard]] double catCpu(const std::vector<fs::path>& files)
{
    const fs::path list = fs::temp_directory_path() / ("ActivityScanBench-" + std::to_string(::getpid()));
    {
        std::ofstream out(list, std::ios::binary);
        for (const auto& file : files) {
            out << file.native() << '\0';
        }
    }
    const std::string command = "xargs -0 cat < '" + list.string() + "' > /dev/null";
    static_cast<void>(std::system(command.c_str()));
    const double before = childrenCpuSeconds();
    static_cast<void>(std::system(command.c_str()));
    const double cpu = childrenCpuSeconds() - before;
    fs::remove(list);
    return cpu;
}

/// The median of `runs` timings of `work`, wall time.
[[nodiscard]] double median(int runs, const std::function<void()>& work)
{
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        times.push_back(seconds(work));
    }
    std::ranges::sort(times);
    return times[times.size() / 2];
}

void print(const char* name, const Totals& totals)
{
    const double megabytes = static_cast<double>(totals.bytes) / 1e6;
    std::printf(
        "%-28s %9.1f ms wall %7.1f ms CPU  %8.1f MB  %6.0f MB/s wall %6.0f MB/s CPU  files listed %zu, read %zu\n",
        name,
        totals.wall * 1e3,
        totals.cpu * 1e3,
        megabytes,
        totals.wall > 0 ? megabytes / totals.wall : 0.0,
        totals.cpu > 0 ? megabytes / totals.cpu : 0.0,
        totals.filesListed,
        totals.filesRead);
}

/// Appends about 1 MB of the file's own complete lines to it; returns its old size and date.
[[nodiscard]] std::pair<std::uint64_t, fs::file_time_type> appendMegabyte(const fs::path& file)
{
    const auto size = fs::file_size(file);
    const auto modified = fs::last_write_time(file);
    std::string bytes;
    {
        const std::ifstream in(file, std::ios::binary);
        std::ostringstream whole;
        whole << in.rdbuf();
        bytes = std::move(whole).str();
    }
    std::string chunk;
    std::istringstream lines(bytes);
    for (std::string line; chunk.size() < 1000000 && std::getline(lines, line);) {
        chunk += line + "\n";
    }
    std::ofstream(file, std::ios::binary | std::ios::app) << chunk;
    return {size, modified};
}

int run(const std::vector<std::string>& arguments)
{
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: ActivityScanBench HOME [NOW]\n");
        return 2;
    }
    const fs::path home = arguments[1];
    const Date now = arguments.size() > 2 ? DateParsing::iso8601(arguments[2]).value_or(Date{}) : defaultNow(home);
    const fs::path cache = home / "bench-data" / "activity-cache.json";
    std::error_code ignored;
    fs::remove_all(cache.parent_path(), ignored);

    const auto files = logs(home);
    std::uint64_t total = 0;
    for (const auto& file : files) {
        total += fs::file_size(file);
    }
    std::printf("%zu log files, %.1f MB\n", files.size(), static_cast<double>(total) / 1e6);

    // References: cat of the same files from the page cache, one stat pass.
    const double catBoth = catCpu(files);
    const double catClaude = catCpu(logs(home, Provider::claude));
    const double catCodex = catCpu(logs(home, Provider::openai));
    std::printf("%-28s %9.1f ms CPU (claude %.1f, codex %.1f)\n",
                "cat (reference)",
                catBoth * 1e3,
                catClaude * 1e3,
                catCodex * 1e3);
    double statCpu = 0;
    const double statWall = seconds(
        [&] {
            for (const auto& file : logs(home)) {
                static_cast<void>(posix::fileStatus(file));
            }
        },
        &statCpu);
    std::printf("%-28s %9.1f ms wall %7.1f ms CPU\n", "walk + stat (reference)", statWall * 1e3, statCpu * 1e3);

    // Each provider alone, without a cache, against cat of its own files.
    for (const auto& [provider, reference] : {std::pair{Provider::claude, catClaude}, {Provider::openai, catCodex}}) {
        ActivityScanner alone(ActivityScanner::Options{});
        const Totals totals = scanBoth(alone, home, now, provider);
        print(provider == Provider::claude ? "cold scan, claude alone" : "cold scan, codex alone", totals);
        std::printf("%-28s %9.2f x cat in CPU\n", "", totals.cpu / reference);
    }

    resetPeak();
    const std::int64_t idle = statusKiB("VmRSS");
    ActivityScanner scanner(ActivityScanner::Options{cache});
    const Totals cold = scanBoth(scanner, home, now);
    const std::int64_t coldPeak = statusKiB("VmHWM");
    print("cold first scan", cold);
    std::printf("%-28s %9.2f x cat in CPU\n", "", cold.cpu / catBoth);
    if (const auto expected = expectedTokens(home)) {
        std::printf("%-28s %s (%" PRId64 " tokens)\n",
                    "  totals",
                    cold.tokens == *expected ? "equal expected.json" : "DIFFER from expected.json",
                    cold.tokens);
    }
    std::printf("%-28s %9.1f MiB above the idle %.1f MiB\n",
                "  peak RSS",
                static_cast<double>(coldPeak - idle) / 1024,
                static_cast<double>(idle) / 1024);

    print("unchanged rescan", scanBoth(scanner, home, now));
    {
        ActivityScanner fromCache(ActivityScanner::Options{cache});
        print("unchanged, new scanner+cache", scanBoth(fromCache, home, now));
    }

    // The cache: encoding and decoding in memory (medians of 21), then the
    // file's save (atomic, with fsync) and load.
    const auto cacheSize = static_cast<double>(fs::file_size(cache));
    std::optional<ActivityCache::State> state;
    const double loadWall = seconds([&] { state = ActivityCache::load(cache); });
    const ActivityCache::State loaded = state.value_or(ActivityCache::State{});
    const std::string text = ActivityCache::encode(loaded).value_or(std::string{});
    const double encodeWall = median(21, [&] { static_cast<void>(ActivityCache::encode(loaded)); });
    const double decodeWall = median(21, [&] { static_cast<void>(ActivityCache::decode(text)); });
    const fs::path copy = cache.parent_path() / "copy.json";
    const double saveWall = seconds([&] { static_cast<void>(ActivityCache::save(copy, loaded)); });
    std::printf("%-28s %9.2f MB, encode %.2f ms (%.0f MB/s), decode %.2f ms (%.0f MB/s); save %.1f ms, load %.1f ms\n",
                "cache file",
                cacheSize / 1e6,
                encodeWall * 1e3,
                cacheSize / 1e6 / encodeWall,
                decodeWall * 1e3,
                cacheSize / 1e6 / decodeWall,
                saveWall * 1e3,
                loadWall * 1e3);

    // Append 1 MB to the largest Claude log, rescan, then put the file back as
    // it was; the budget is two stat passes and a read of the 1 MB.
    fs::path largest;
    for (const auto& file : files) {
        if (file.native().find("/.claude/") != std::string::npos
            && (largest.empty() || fs::file_size(file) > fs::file_size(largest))) {
            largest = file;
        }
    }
    if (!largest.empty()) {
        const auto [size, modified] = appendMegabyte(largest);
        double readCpu = 0;
        seconds(
            [&] {
                std::vector<char> bytes(fs::file_size(largest) - size);
                const auto log = posix::ReadOnlyFile::open(largest);
                static_cast<void>(log && log->readAt(size, std::span(bytes)));
            },
            &readCpu);
        const Totals rescan = scanBoth(scanner, home, now);
        print("rescan after a 1 MB append", rescan);
        std::printf("%-28s %9.2f x (2 stat passes + reading 1 MB) in CPU\n", "", rescan.cpu / (2 * statCpu + readCpu));
        fs::resize_file(largest, size);
        fs::last_write_time(largest, modified);
    }
    fs::remove_all(cache.parent_path(), ignored);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return run(std::vector<std::string>(argv, std::next(argv, argc)));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "ActivityScanBench: %s\n", error.what());
        return 1;
    }
}
