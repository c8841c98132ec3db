#pragma once
// Session logs as the tools write them, for tests of the activity scan: a
// file written or appended to with the modification date a tool would leave,
// and one line of Claude Code's log.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "model/Date.h"

namespace ostrel::testing {

/// Writes (or appends) `text` and sets the modification date, as a tool writing the log would.
inline void putLog(const std::filesystem::path& file, std::string_view text, Date modified, bool append = false)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, append ? std::ios::binary | std::ios::app : std::ios::binary) << text;
    const auto since1970 = std::chrono::duration_cast<std::chrono::system_clock::duration>(modified.time_since_epoch());
    std::filesystem::last_write_time(
        file,
        std::chrono::file_clock::from_sys(std::chrono::sys_time<std::chrono::system_clock::duration>(since1970)));
}

/// One reply of Claude Code's log: 2 input, 10 cache-creation, 100 cache-read and `output` output tokens.
[[nodiscard]] inline std::string claudeLogLine(std::string_view id, std::string_view stamp, std::int64_t output)
{
    return R"({"type":"assistant","message":{"id":")" + std::string(id)
           + R"(","content":[],"usage":{"input_tokens":2,"cache_creation_input_tokens":10,)"
           + R"("cache_read_input_tokens":100,"output_tokens":)" + std::to_string(output)
           + R"(}},"requestId":"req_1","timestamp":")" + std::string(stamp) + "\"}\n";
}

}  // namespace ostrel::testing
