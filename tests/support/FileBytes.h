#pragma once
// Reading and writing whole files in tests: what a file holds, line by line
// or byte for byte, and its permission bits.

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::testing {

/// The file's bytes; empty when it cannot be read.
[[nodiscard]] inline std::string contents(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << stream.rdbuf();
    return std::move(bytes).str();
}

/// The file's lines without their line feeds; none when it cannot be read.
[[nodiscard]] inline std::vector<std::string> linesOf(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::ifstream stream(file);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

/// Replaces the file's bytes.
inline void put(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream(file, std::ios::binary) << bytes;
}

/// The permission bits of what the path names, links followed; 0 when there is nothing.
[[nodiscard]] inline unsigned modeOf(const std::filesystem::path& path)
{
    struct stat status
    {};

    return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777U : 0U;
}

}  // namespace ostrel::testing
