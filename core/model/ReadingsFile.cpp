#include "model/ReadingsFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <system_error>

#include "model/JsonFields.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel::ReadingsFile {
namespace {

constexpr mode_t fileMode = 0600;
constexpr mode_t folderMode = 0700;

[[nodiscard]] std::optional<std::filesystem::path> absoluteFolder(std::optional<std::string_view> value)
{
    if (!value || value->empty()) {
        return std::nullopt;
    }
    std::filesystem::path folder(*value);
    return folder.is_absolute() ? std::optional(std::move(folder)) : std::nullopt;
}

[[nodiscard]] std::unexpected<ReadingsFileFailure> failure(ReadingsFileFailure::Kind kind, std::string detail)
{
    return std::unexpected(ReadingsFileFailure{kind, std::move(detail)});
}

}  // namespace

std::optional<std::filesystem::path> dataFolder(std::optional<std::string_view> xdgDataHome,
                                                std::optional<std::string_view> home)
{
    if (auto data = absoluteFolder(xdgDataHome)) {
        return *data / folderName;
    }
    if (auto folder = absoluteFolder(home)) {
        return *folder / ".local" / "share" / folderName;
    }
    return std::nullopt;
}

std::filesystem::path filePath(const std::filesystem::path& dataFolder)
{
    return dataFolder / fileName;
}

Json::Result<std::string> encode(const Saved& saved)
{
    Json::Value document = Json::Value::object();
    document["snapshots"] = Json::encode(saved.snapshots);
    document["history"] = Json::encode(saved.history);
    return Json::serialize(document);
}

Json::Result<Saved> decode(std::string_view text)
{
    const auto document = Json::parse(text);
    if (!document) {
        return std::unexpected(document.error());
    }
    Json::Fields::ObjectReader reader(*document);
    Saved saved;
    reader.required("snapshots", saved.snapshots);
    reader.required("history", saved.history);
    return reader.finish(std::move(saved));
}

std::expected<Saved, ReadingsFileFailure> read(const std::filesystem::path& file)
{
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return failure(ReadingsFileFailure::Kind::missing, file.string());
    }
    // Anything but a regular file (a folder, a FIFO that would block) is not read at all.
    if (error || status.type() != std::filesystem::file_type::regular) {
        return failure(ReadingsFileFailure::Kind::unreadable, file.string() + " is not a regular file");
    }
    const auto size = std::filesystem::file_size(file, error);
    if (!error && size > largestFile) {
        return failure(ReadingsFileFailure::Kind::tooLarge, std::to_string(size) + " bytes");
    }
    const auto bytes = posix::readWhole(file, largestFile);
    if (!bytes) {
        if (bytes.error() == EFBIG) {
            return failure(ReadingsFileFailure::Kind::tooLarge, "more than " + std::to_string(largestFile) + " bytes");
        }
        return failure(ReadingsFileFailure::Kind::unreadable,
                       "cannot read " + file.string() + ": " + std::strerror(bytes.error()));
    }
    auto saved = decode(*bytes);
    if (!saved) {
        return failure(ReadingsFileFailure::Kind::undecodable, saved.error().text());
    }
    return std::move(*saved);
}

Saved load(const std::filesystem::path& file)
{
    return read(file).value_or(Saved{});
}

std::expected<void, ReadingsFileFailure> save(const std::filesystem::path& file, const Saved& saved)
{
    const auto bytes = encode(saved);
    if (!bytes) {
        return failure(ReadingsFileFailure::Kind::unencodable, bytes.error().text());
    }
    if (file.has_parent_path()) {
        if (const auto created = posix::createFolders(file.parent_path(), folderMode); !created) {
            return failure(ReadingsFileFailure::Kind::cannotCreateFolder,
                           file.parent_path().string() + ": " + std::generic_category().message(created.error()));
        }
    }
    if (const auto written = posix::writeAtomically(file, *bytes, fileMode); !written) {
        return failure(ReadingsFileFailure::Kind::cannotWrite, written.error().text());
    }
    return {};
}

void appendHistory(Json::HistoryMap& history, const ProviderReading& reading, Date now)
{
    if (!reading.weekly) {
        return;
    }
    auto& points = history[reading.provider];
    points.push_back({reading.fetchedAt, reading.weekly->usedPercent, reading.weekly->resetsAt});
    const Date oldest = now - Seconds{historyAge};
    std::erase_if(points, [oldest](const AllowancePoint& point) { return !(point.date > oldest); });
}

void record(Saved& saved, Provider provider, const FetchResult& result, Date now)
{
    saved.snapshots[provider].record(result, now);
    if (result) {
        appendHistory(saved.history, *result, now);
    }
}

std::vector<AllowancePoint>
glidePath(const Saved& saved, Provider provider, std::span<const AllowancePoint> scannerPoints, Date now)
{
    const auto snapshot = saved.snapshots.find(provider);
    if (snapshot == saved.snapshots.end() || !snapshot->second.lastReading) {
        return {};
    }
    const auto& weekly = snapshot->second.lastReading->weekly;
    if (!weekly || !weekly->resetsAt) {
        return {};
    }
    const Date renewal = *weekly->resetsAt;
    const Date start = renewal - Seconds{weekly->duration};
    const auto belongs = [&](const AllowancePoint& point) {
        const bool sameWeek = !point.resetsAt || std::abs((*point.resetsAt - renewal).count()) < sameWeekTolerance;
        return start <= point.date && point.date <= now && sameWeek;
    };

    std::vector<AllowancePoint> points;
    if (const auto history = saved.history.find(provider); history != saved.history.end()) {
        std::ranges::copy_if(history->second, std::back_inserter(points), belongs);
    }
    std::ranges::copy_if(scannerPoints, std::back_inserter(points), belongs);
    std::ranges::stable_sort(points, {}, &AllowancePoint::date);
    return thin(std::move(points), glidePathPoints);
}

std::vector<AllowancePoint> thin(std::vector<AllowancePoint> points, std::size_t count)
{
    if (points.size() <= count) {
        return points;
    }
    if (count <= 1) {
        points.resize(count);
        return points;
    }
    const double step = static_cast<double>(points.size() - 1) / static_cast<double>(count - 1);
    std::vector<AllowancePoint> result;
    result.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const auto index = static_cast<std::size_t>(std::round(step * static_cast<double>(i)));
        result.push_back(points[std::min(index, points.size() - 1)]);
    }
    return result;
}

}  // namespace ostrel::ReadingsFile
