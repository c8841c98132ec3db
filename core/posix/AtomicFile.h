#pragma once
// Whole-file replacement that a reader never sees half done: the bytes go to a
// temporary file in the same folder, are flushed to disk, and the temporary is
// renamed over the target. Also the creation of private folders.

#include <sys/types.h>

#include <expected>
#include <filesystem>
#include <string>
#include <string_view>

namespace ostrel::posix {

struct FileWriteFailure
{
    enum class Step
    {
        target,  ///< something other than a regular file is in the file's place
        createTemporary,
        write,
        flush,
        rename
    };

    Step step = Step::write;
    int code = 0;  ///< the errno

    /// For example "cannot rename the temporary file: Is a directory".
    [[nodiscard]] std::string text() const;

    bool operator==(const FileWriteFailure&) const = default;
};

/// What a write does with a symbolic link in the file's place.
enum class Link
{
    followed,  ///< the link stays, and the file it leads to is replaced
    replaced   ///< the link itself is replaced by the new file; what it led to is untouched
};

/// Replaces `given` with `bytes`; the new file has exactly `mode`. A symbolic
/// link at `given` is treated as `link` says. A folder or any other non-regular
/// file in its place is left alone and fails the `target` step (EISDIR for a
/// folder, EEXIST otherwise). On failure the old file is untouched and no
/// temporary file is left behind.
[[nodiscard]] std::expected<void, FileWriteFailure>
writeAtomically(const std::filesystem::path& given, std::string_view bytes, mode_t mode, Link link = Link::followed);

/// Where `path` leads after every symbolic link on its last part is followed
/// (relative links from their own folder); `path` itself when it is no link.
/// A dangling link leads to the name it holds; a loop stops after 40 links.
[[nodiscard]] std::filesystem::path finalTarget(const std::filesystem::path& path);

/// Removes the temporary files that writes of `given` (or, with `Link::followed`,
/// of the file it links to) left behind when the process was killed before the rename.
void removeTemporaries(const std::filesystem::path& given, Link link = Link::followed);

/// Creates `folder` with every missing parent, each with exactly `mode`; folders
/// that exist already keep theirs. The errno on failure (ENOTDIR when a part of
/// the path is a file).
[[nodiscard]] std::expected<void, int> createFolders(const std::filesystem::path& folder, mode_t mode);

}  // namespace ostrel::posix
