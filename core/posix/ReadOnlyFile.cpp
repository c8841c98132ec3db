#include "posix/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "posix/UniqueFd.h"

namespace ostrel::posix {

std::expected<FileStatus, int> fileStatus(const std::filesystem::path& path)
{
    struct stat status
    {};

    if (::lstat(path.c_str(), &status) != 0) {
        return std::unexpected(errno);
    }
    return FileStatus{S_ISREG(status.st_mode),
                      static_cast<std::uint64_t>(status.st_size),
                      std::int64_t{status.st_mtim.tv_sec},
                      std::int64_t{status.st_mtim.tv_nsec}};
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : m_base(std::exchange(other.m_base, nullptr))
    , m_length(std::exchange(other.m_length, 0))
    , m_data(std::exchange(other.m_data, nullptr))
    , m_size(std::exchange(other.m_size, 0))
    , m_released(std::exchange(other.m_released, 0))
{}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept
{
    if (this != &other) {
        unmap();
        m_base = std::exchange(other.m_base, nullptr);
        m_length = std::exchange(other.m_length, 0);
        m_data = std::exchange(other.m_data, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_released = std::exchange(other.m_released, 0);
    }
    return *this;
}

MappedFile::~MappedFile()
{
    unmap();
}

std::expected<MappedFile, int> MappedFile::open(const std::filesystem::path& path, std::uint64_t from)
{
    // O_NONBLOCK keeps a FIFO that took a log's name from blocking the open.
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.isOpen()) {
        return std::unexpected(errno);
    }

    struct stat status
    {};

    if (::fstat(fd.get(), &status) != 0) {
        return std::unexpected(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        return std::unexpected(EINVAL);
    }
    MappedFile file;
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size <= from) {
        return file;
    }
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    const std::uint64_t start = from - from % page;
    const std::size_t length = size - start;
    void* base = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd.get(), static_cast<off_t>(start));
    if (base == MAP_FAILED) {
        return std::unexpected(errno);
    }
    // The scanner walks forward once; read-ahead helps and pages behind it are not needed again.
    static_cast<void>(::madvise(base, length, MADV_SEQUENTIAL));
    file.m_base = base;
    file.m_length = length;
    file.m_data = static_cast<const char*>(base) + (from - start);
    file.m_size = size - from;
    return file;
}

void MappedFile::release(std::size_t position) noexcept
{
    if (m_base == nullptr) {
        return;
    }
    const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const auto head = static_cast<std::size_t>(m_data - static_cast<const char*>(m_base));
    std::size_t end = head + std::min(position, m_size);
    end -= end % page;
    if (end > m_released) {
        static_cast<void>(::madvise(static_cast<char*>(m_base) + m_released, end - m_released, MADV_DONTNEED));
        m_released = end;
    }
}

void MappedFile::unmap() noexcept
{
    if (m_base != nullptr) {
        static_cast<void>(::munmap(m_base, m_length));
        m_base = nullptr;
        m_length = 0;
        m_data = nullptr;
        m_size = 0;
        m_released = 0;
    }
}

}  // namespace ostrel::posix
