#include "activity/ActivityCache.h"

#include <system_error>

#include "model/JsonFields.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel::ActivityCache {
namespace {

using Json::Fields::ObjectReader;

constexpr mode_t fileMode = 0600;
constexpr mode_t folderMode = 0700;

/// Offsets and sizes are unsigned; JSON integers read as signed 64-bit values.
[[nodiscard]] std::optional<Json::Error> readCount(const Json::Value* value, std::string_view key, std::uint64_t& out)
{
    std::int64_t read = 0;
    if (auto error = Json::Fields::readInto(*value, read)) {
        return Json::Fields::under(std::move(*error), key);
    }
    if (read < 0) {
        return Json::Error{std::string(key), "Expected a count of bytes, found a negative number."};
    }
    out = static_cast<std::uint64_t>(read);
    return std::nullopt;
}

}  // namespace

Json::Value encode(const FileState& file)
{
    Json::Value object = Json::Value::object();
    object["offset"] = file.offset;
    object["size"] = file.size;
    object["modified"] = Json::encode(file.modified);
    object["tokens"] = Json::encode(file.tokens);
    object["allowance"] = Json::encode(file.allowance);
    if (file.lastKey) {
        object["lastKey"] = *file.lastKey;
    }
    if (file.lastCounts) {
        object["lastCounts"] = Json::encode(*file.lastCounts);
    }
    return object;
}

Json::Result<FileState> decodeFile(const Json::Value& value)
{
    ObjectReader reader(value);
    FileState file;
    const Json::Value* offset = nullptr;
    const Json::Value* size = nullptr;
    reader.required("offset", offset);
    reader.required("size", size);
    reader.required("modified", file.modified);
    reader.required("tokens", file.tokens);
    reader.required("allowance", file.allowance);
    reader.optional("lastKey", file.lastKey);
    reader.optional("lastCounts", file.lastCounts);
    auto read = reader.finish(std::move(file));
    if (!read) {
        return read;
    }
    if (auto error = readCount(offset, "offset", read->offset)) {
        return std::unexpected(std::move(*error));
    }
    if (auto error = readCount(size, "size", read->size)) {
        return std::unexpected(std::move(*error));
    }
    return read;
}

Json::Result<std::string> encode(const State& state)
{
    Json::Value files = Json::Value::object();
    for (const auto& [key, file] : state.files) {
        files[key] = encode(file);
    }
    Json::Value document = Json::Value::object();
    document["version"] = state.version;
    document["files"] = std::move(files);
    return Json::serialize(document);
}

Json::Result<State> decode(std::string_view text)
{
    const auto document = Json::parse(text);
    if (!document) {
        return std::unexpected(document.error());
    }
    ObjectReader reader(*document);
    State state;
    const Json::Value* files = nullptr;
    reader.required("version", state.version);
    reader.required("files", files);
    auto ready = reader.finish(files);
    if (!ready) {
        return std::unexpected(std::move(ready.error()));
    }
    if (!files->is_object()) {
        return std::unexpected(Json::Fields::under(Json::Fields::typeMismatch("an object", *files), "files"));
    }
    for (const auto& [key, value] : files->items()) {
        auto file = decodeFile(value);
        if (!file) {
            return std::unexpected(Json::Fields::under(Json::Fields::under(std::move(file.error()), key), "files"));
        }
        state.files.emplace(key, std::move(*file));
    }
    return state;
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
    const auto bytes = encode(state);
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
