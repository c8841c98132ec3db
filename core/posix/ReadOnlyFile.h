#pragma once
// Read-only memory maps of whole files, one owner per map, and the one stat call
// the activity scanner needs. Nothing outside core/readers/posix calls mmap.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string_view>

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

class MappedFile
{
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    ~MappedFile();

    /// Maps the bytes of a regular file from `from` to its current end (an empty
    /// view when the file is no longer than that). The errno on failure; EINVAL
    /// when the path is not a regular file.
    [[nodiscard]] static std::expected<MappedFile, int> open(const std::filesystem::path& path, std::uint64_t from);

    /// The mapped bytes, starting at the offset given to `open`.
    [[nodiscard]] std::string_view bytes() const noexcept
    {
        return {m_data, m_size};
    }

    /// Lets the kernel drop the pages before `position` (an offset into `bytes()`)
    /// from this process, so walking a large file keeps only a window resident.
    void release(std::size_t position) noexcept;

private:
    void unmap() noexcept;

    void* m_base = nullptr;        ///< start of the map, page aligned
    std::size_t m_length = 0;      ///< length of the map
    const char* m_data = nullptr;  ///< first byte asked for
    std::size_t m_size = 0;
    std::size_t m_released = 0;  ///< bytes of the map already given back
};

}  // namespace ostrel::posix
