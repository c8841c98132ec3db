#pragma once
// The activity cache read and written through a whole JSON document, with the
// strict readers of our own files: the reference that the cache's own writer
// and reader, which build no document, must match byte for byte and verdict
// for verdict on every input.

#include <optional>
#include <string>
#include <string_view>

#include "activity/ActivityCache.h"
#include "model/Json.h"
#include "model/JsonFields.h"

namespace ostrel::fuzz {

[[nodiscard]] inline Json::Value fileDocument(const FileState& file)
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

[[nodiscard]] inline Json::Result<std::string> cacheDocumentText(const ActivityCache::State& state)
{
    Json::Value files = Json::Value::object();
    for (const auto& [key, file] : state.files) {
        files[key] = fileDocument(file);
    }
    Json::Value document = Json::Value::object();
    document["version"] = state.version;
    document["files"] = std::move(files);
    return Json::serialize(document);
}

/// Offsets and sizes: integers that are not negative.
[[nodiscard]] inline bool readCount(const Json::Value* value, std::uint64_t& out)
{
    std::int64_t read = 0;
    if (Json::Fields::readInto(*value, read) || read < 0) {
        return false;
    }
    out = static_cast<std::uint64_t>(read);
    return true;
}

[[nodiscard]] inline std::optional<FileState> fileOfDocument(const Json::Value& value)
{
    Json::Fields::ObjectReader reader(value);
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
    if (!read || !readCount(offset, read->offset) || !readCount(size, read->size)) {
        return std::nullopt;
    }
    return std::move(*read);
}

[[nodiscard]] inline std::optional<ActivityCache::State> cacheOfDocument(std::string_view text)
{
    const auto document = Json::parse(text);
    if (!document) {
        return std::nullopt;
    }
    Json::Fields::ObjectReader reader(*document);
    ActivityCache::State state;
    const Json::Value* files = nullptr;
    reader.required("version", state.version);
    reader.required("files", files);
    if (!reader.finish(files) || !files->is_object()) {
        return std::nullopt;
    }
    for (const auto& [key, value] : files->items()) {
        auto file = fileOfDocument(value);
        if (!file) {
            return std::nullopt;
        }
        state.files.emplace(key, std::move(*file));
    }
    return state;
}

}  // namespace ostrel::fuzz
