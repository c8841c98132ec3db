#include "posix/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "posix/UniqueFd.h"

namespace ostrel::posix {
namespace {

/// Links followed at most, as the kernel does for a path (its MAXSYMLINKS).
constexpr int mostLinks = 40;

/// What mkostemp replaces with random characters at the end of a temporary file's name.
constexpr std::string_view temporarySuffix = "XXXXXX";

[[nodiscard]] std::string temporaryStem(const std::filesystem::path& path)
{
    return "." + path.filename().string() + ".";
}

[[nodiscard]] std::string_view describe(FileWriteFailure::Step step)
{
    switch (step) {
    case FileWriteFailure::Step::target:
        return "cannot replace what is in the file's place";
    case FileWriteFailure::Step::createTemporary:
        return "cannot create a temporary file";
    case FileWriteFailure::Step::write:
        return "cannot write the temporary file";
    case FileWriteFailure::Step::flush:
        return "cannot flush the temporary file to disk";
    case FileWriteFailure::Step::rename:
        return "cannot rename the temporary file";
    }
    return "cannot write";
}

[[nodiscard]] std::expected<void, int> writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const auto written = writeSome(fd, bytes);
        if (!written) {
            return std::unexpected(written.error());
        }
        bytes.remove_prefix(*written);
    }
    return {};
}

[[nodiscard]] int fsyncRetrying(int fd)
{
    int result = -1;
    do {
        result = ::fsync(fd);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

/// The rename itself is durable only once the folder's entry is on disk; a
/// failure here loses nothing that the rename has not already made visible.
void flushFolder(const std::filesystem::path& folder)
{
    const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.isOpen()) {
        static_cast<void>(fsyncRetrying(fd.get()));
    }
}

}  // namespace

std::string FileWriteFailure::text() const
{
    return std::string(describe(step)) + ": " + describeErrno(code);
}

std::filesystem::path finalTarget(const std::filesystem::path& path)
{
    std::filesystem::path target = path;
    for (int hop = 0; hop < mostLinks; ++hop) {
        std::error_code error;
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error) {
            return target;  // no link (or unreadable): this is the file itself
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

void removeTemporaries(const std::filesystem::path& given, Link link)
{
    const std::filesystem::path path = link == Link::followed ? finalTarget(given) : given;
    const std::string stem = temporaryStem(path);
    const std::size_t length = stem.size() + temporarySuffix.size();
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (name.size() == length && name.starts_with(stem) && it->is_regular_file(typeError)) {
            std::error_code ignored;
            std::filesystem::remove(it->path(), ignored);
        }
    }
}

std::expected<void, FileWriteFailure>
writeAtomically(const std::filesystem::path& given, std::string_view bytes, mode_t mode, Link link)
{
    // Renaming over a symbolic link replaces the link; to replace the file it leads to, that is renamed over.
    const std::filesystem::path path = link == Link::followed ? finalTarget(given) : given;

    struct stat existing
    {};

    const auto replaceable = [&] {
        return S_ISREG(existing.st_mode) || (link == Link::replaced && S_ISLNK(existing.st_mode));
    };
    if (::lstat(path.c_str(), &existing) == 0 && !replaceable()) {
        return std::unexpected(
            FileWriteFailure{FileWriteFailure::Step::target, S_ISDIR(existing.st_mode) ? EISDIR : EEXIST});
    }
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string pattern = (folder / (temporaryStem(path) + std::string(temporarySuffix))).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    // mkostemp creates the file exclusively with mode 0600, so nobody else can open it meanwhile.
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd.isOpen()) {
        return std::unexpected(FileWriteFailure{FileWriteFailure::Step::createTemporary, errno});
    }
    const auto fail = [&](FileWriteFailure::Step step, int code) {
        fd.reset();
        static_cast<void>(::unlink(name.data()));
        return std::unexpected(FileWriteFailure{step, code});
    };
    if (::fchmod(fd.get(), mode) != 0) {
        return fail(FileWriteFailure::Step::createTemporary, errno);
    }
    if (const auto written = writeAll(fd.get(), bytes); !written) {
        return fail(FileWriteFailure::Step::write, written.error());
    }
    if (const int error = fsyncRetrying(fd.get()); error != 0) {
        return fail(FileWriteFailure::Step::flush, error);
    }
    fd.reset();
    if (::rename(name.data(), path.c_str()) != 0) {
        return fail(FileWriteFailure::Step::rename, errno);
    }
    flushFolder(folder);
    return {};
}

std::expected<void, int> createFolders(const std::filesystem::path& folder, mode_t mode)
{
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), mode) == 0) {
            // mkdir applies the umask; these folders get exactly the mode asked for.
            if (::chmod(partial.c_str(), mode) != 0) {
                return std::unexpected(errno);
            }
            continue;
        }
        const int error = errno;

        struct stat status
        {};

        if (error != EEXIST || ::stat(partial.c_str(), &status) != 0) {
            return std::unexpected(error);
        }
        if (!S_ISDIR(status.st_mode)) {
            return std::unexpected(ENOTDIR);
        }
    }
    return {};
}

}  // namespace ostrel::posix
