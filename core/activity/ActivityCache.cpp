#include "activity/ActivityCache.h"

#include <system_error>

#include "activity/CacheReader.h"
#include "activity/CacheWriter.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel::ActivityCache {
namespace {

constexpr mode_t fileMode = 0600;
constexpr mode_t folderMode = 0700;

}  // namespace

Json::Result<std::string> encode(const State& state)
{
    CacheWriter writer;
    return writer.encode(state.version, state.files);
}

Json::Result<State> decode(std::string_view text)
{
    return CacheReader::read(text);
}

std::optional<State> load(const std::filesystem::path& file)
{
    const auto status = posix::fileStatus(file);
    // Missing, something that is not a plain file, or larger than we ever write.
    if (!status || !status->regular || status->size > largestFile) {
        return std::nullopt;
    }
    const auto bytes = posix::readWhole(file, largestFile);
    if (!bytes) {
        return std::nullopt;
    }
    auto state = decode(*bytes);
    if (!state || state->version != currentVersion) {
        return std::nullopt;
    }
    return std::move(*state);
}

std::expected<void, std::string> save(const std::filesystem::path& file, const State& state)
{
    CacheWriter writer;
    return save(file, state, writer);
}

std::expected<void, std::string> save(const std::filesystem::path& file, const State& state, CacheWriter& writer)
{
    const auto bytes = writer.encode(state.version, state.files);
    if (!bytes) {
        return std::unexpected(bytes.error().text());
    }
    if (file.has_parent_path()) {
        if (const auto created = posix::createFolders(file.parent_path(), folderMode); !created) {
            return std::unexpected(file.parent_path().string() + ": "
                                   + std::generic_category().message(created.error()));
        }
    }
    if (const auto written = posix::writeAtomically(file, *bytes, fileMode, posix::Link::replaced); !written) {
        return std::unexpected(written.error().text());
    }
    return {};
}

}  // namespace ostrel::ActivityCache
