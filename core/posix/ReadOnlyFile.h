#pragma once
// Reading files with pread, never through a memory map: a file that another
// program truncates while we read it just ends early, where a map would raise
// SIGBUS. Also the one stat call the activity scanner needs.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <span>
#include <string>

#include "posix/UniqueFd.h"

namespace ostrel::posix {

/// What one stat call says about a path, without following a final symbolic link.
struct FileStatus
{
    bool regular = false;
    std::uint64_t size = 0;
    std::int64_t modifiedSeconds = 0;      ///< content modification time, whole seconds since 1970
    std::int64_t modifiedNanoseconds = 0;  ///< and the nanoseconds on top

    bool operator==(const FileStatus&) const = default;
};

/// The errno when the path cannot be examined.
[[nodiscard]] std::expected<FileStatus, int> fileStatus(const std::filesystem::path& path);

/// An open regular file, read at explicit offsets.
class ReadOnlyFile
{
public:
    /// Opens a regular file for reading, hinted as read once from start to end.
    /// The errno on failure; EINVAL when the path is not a regular file.
    [[nodiscard]] static std::expected<ReadOnlyFile, int> open(const std::filesystem::path& path);

    /// The size when opened; the file may have shrunk or grown since.
    [[nodiscard]] std::uint64_t size() const noexcept
    {
        return m_size;
    }

    /// One read of up to `into.size()` bytes at `offset`: the count read, 0 at
    /// the file's current end, or the errno. Retries EINTR.
    [[nodiscard]] std::expected<std::size_t, int> readAt(std::uint64_t offset, std::span<char> into) const;

private:
    ReadOnlyFile(UniqueFd fd, std::uint64_t size)
        : m_fd(std::move(fd))
        , m_size(size)
    {}

    UniqueFd m_fd;
    std::uint64_t m_size = 0;
};

/// The whole content of a regular file of at most `limit` bytes: the errno on
/// failure, EFBIG when it is larger, EINVAL when it is not a regular file.
[[nodiscard]] std::expected<std::string, int> readWhole(const std::filesystem::path& path, std::uint64_t limit);

}  // namespace ostrel::posix
