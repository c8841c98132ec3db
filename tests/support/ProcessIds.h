#pragma once
// Watching processes a test did not start itself (grandchildren, children of a
// child) by their ids, as a fixture script writes them to a file.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace ostrel::testing {

/// The ids in `file`, one a line; those read so far when it is still being written.
[[nodiscard]] inline std::vector<pid_t> readPids(const std::filesystem::path& file)
{
    std::vector<pid_t> pids;
    std::ifstream stream(file);
    for (pid_t pid = 0; stream >> pid;) {
        pids.push_back(pid);
    }
    return pids;
}

/// Waits until `file` lists at least `count` ids; false when `limit` passed first.
[[nodiscard]] inline bool
pidsWrittenWithin(const std::filesystem::path& file, std::size_t count, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (readPids(file).size() < count) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

/// True while the process runs; a zombie waiting for a parent that is not us has ended.
[[nodiscard]] inline bool isRunning(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    // The state follows the parenthesised command name, which may itself hold ") ".
    const auto close = line.rfind(") ");
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

/// Waits until none of `pids` runs any more; false when one still does after `limit`.
[[nodiscard]] inline bool allEndedWithin(const std::vector<pid_t>& pids, std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (const pid_t pid : pids) {
        while (isRunning(pid)) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

}  // namespace ostrel::testing
