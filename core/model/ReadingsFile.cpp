#include "model/ReadingsFile.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <iterator>
#include <system_error>

#include "model/JsonFields.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"
#include "posix/UniqueFd.h"

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

/// `now` as "20261207T101500Z": fixed width, so names sort by date.
[[nodiscard]] std::string compactUtc(Date now)
{
    using namespace std::chrono;
    const auto second = floor<seconds>(sys_time<duration<double>>(now.time_since_epoch()));
    const auto day = floor<days>(second);
    const year_month_day date(day);
    const hh_mm_ss time(second - day);
    std::array<char, 40> text{};
    const int length = std::snprintf(text.data(),
                                     text.size(),
                                     "%04d%02u%02uT%02ld%02ld%02ldZ",
                                     static_cast<int>(date.year()),
                                     static_cast<unsigned>(date.month()),
                                     static_cast<unsigned>(date.day()),
                                     time.hours().count(),
                                     time.minutes().count(),
                                     time.seconds().count());
    return {text.data(), static_cast<std::size_t>(std::max(length, 0))};
}

/// Keeps the newest `keptCorruptFiles` copies set aside next to `target`.
void pruneSetAside(const std::filesystem::path& target)
{
    const std::string prefix = target.filename().string() + std::string(corruptInfix);
    std::vector<std::filesystem::path> aside;
    std::error_code error;
    for (std::filesystem::directory_iterator it(target.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().starts_with(prefix)) {
            aside.push_back(it->path());
        }
    }
    std::ranges::sort(aside, std::greater<>());
    for (std::size_t i = keptCorruptFiles; i < aside.size(); ++i) {
        std::error_code ignored;
        std::filesystem::remove(aside[i], ignored);
    }
}

/// Moves an unreadable file (the one a link leads to) out of the way of the
/// next save, so that nothing the user had is replaced without a trace.
/// Where the copy went; absent when there was nothing to move or the move failed.
std::optional<std::filesystem::path> setAside(const std::filesystem::path& file, Date now)
{
    const std::filesystem::path target = posix::finalTarget(file);
    std::error_code error;
    if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(target, error))) {
        return std::nullopt;  // nothing there, or no file of ours: a save will not replace it either
    }
    const std::string stem = target.string() + std::string(corruptInfix) + compactUtc(now);
    std::filesystem::path aside = stem;
    // Two in the same second (a restart loop) keep apart; the suffix sorts after the plain name.
    for (int copy = 2; std::filesystem::exists(std::filesystem::symlink_status(aside)) && copy < 10; ++copy) {
        aside = stem + "-" + std::to_string(copy);
    }
    std::filesystem::rename(target, aside, error);
    if (!error) {
        // The copy describes the user's usage as the file did, whatever mode the file had.
        std::filesystem::permissions(aside,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace,
                                     error);
        pruneSetAside(target);
        return aside;
    }
    return std::nullopt;
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
    // Last, and only when there are any: the default accounts' form stays as it always was.
    if (!saved.accounts.empty()) {
        document[AccountReadingsJson::key] = AccountReadingsJson::encode(saved.accounts);
    }
    return Json::serialize(document);
}

Json::Result<Saved> decode(std::string_view text, Part part)
{
    // The writer puts the snapshots first: the history after them need not be read.
    auto document = part == Part::whole ? Json::parse(text) : Json::parseBefore(text, "history");
    if (document && !document->contains("snapshots")) {
        // Written in another order: the snapshots are further on.
        document = Json::parse(text);
    }
    if (!document) {
        return std::unexpected(document.error());
    }
    Json::Fields::ObjectReader reader(*document);
    Saved saved;
    reader.required("snapshots", saved.snapshots);
    if (part == Part::whole) {
        reader.required("history", saved.history);
        if (const auto accounts = document->find(AccountReadingsJson::key); accounts != document->end()) {
            saved.accounts = AccountReadingsJson::decode(*accounts);
        }
    }
    return reader.finish(std::move(saved));
}

std::expected<std::string, ReadingsFileFailure> readText(const std::filesystem::path& file)
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
    auto bytes = posix::readWhole(file, largestFile);
    if (!bytes) {
        if (bytes.error() == EFBIG) {
            return failure(ReadingsFileFailure::Kind::tooLarge, "more than " + std::to_string(largestFile) + " bytes");
        }
        return failure(ReadingsFileFailure::Kind::unreadable,
                       "cannot read " + file.string() + ": " + posix::describeErrno(bytes.error()));
    }
    return std::move(*bytes);
}

std::expected<Saved, ReadingsFileFailure> read(const std::filesystem::path& file, Part part)
{
    const auto bytes = readText(file);
    if (!bytes) {
        return std::unexpected(bytes.error());
    }
    auto saved = decode(*bytes, part);
    if (!saved) {
        return failure(ReadingsFileFailure::Kind::undecodable, saved.error().text());
    }
    return std::move(*saved);
}

Saved load(const std::filesystem::path& file, Date now, std::optional<SetAside>* setAsideFile)
{
    posix::removeTemporaries(file);
    auto saved = read(file);
    if (!saved && saved.error().kind != ReadingsFileFailure::Kind::missing) {
        auto copy = setAside(file, now);
        if (setAsideFile != nullptr) {
            *setAsideFile = SetAside{saved.error(), std::move(copy)};
        }
    }
    return std::move(saved).value_or(Saved{});
}

std::expected<void, ReadingsFileFailure> save(const std::filesystem::path& file, const Saved& saved)
{
    const auto bytes = encode(saved);
    if (!bytes) {
        return failure(ReadingsFileFailure::Kind::unencodable, bytes.error().text());
    }
    return saveText(file, *bytes);
}

std::expected<void, ReadingsFileFailure> createFolder(const std::filesystem::path& file)
{
    if (file.has_parent_path()) {
        if (const auto created = posix::createFolders(file.parent_path(), folderMode); !created) {
            return failure(ReadingsFileFailure::Kind::cannotCreateFolder,
                           file.parent_path().string() + ": " + std::generic_category().message(created.error()));
        }
    }
    return {};
}

std::expected<void, ReadingsFileFailure> saveText(const std::filesystem::path& file, std::string_view text)
{
    if (const auto created = createFolder(file); !created) {
        return created;
    }
    if (const auto written = posix::writeAtomically(file, text, fileMode); !written) {
        const bool blocked = written.error().step == posix::FileWriteFailure::Step::target;
        return failure(blocked ? ReadingsFileFailure::Kind::notAFile : ReadingsFileFailure::Kind::cannotWrite,
                       file.string() + ": " + written.error().text());
    }
    return {};
}

void appendHistory(std::vector<AllowancePoint>& history, const ProviderReading& reading, Date now)
{
    if (!reading.weekly) {
        return;
    }
    history.push_back({reading.fetchedAt, reading.weekly->usedPercent, reading.weekly->resetsAt});
    const Date oldest = now - Seconds{historyAge};
    std::erase_if(history, [oldest](const AllowancePoint& point) { return !(point.date > oldest); });
}

void record(Saved& saved, const AccountKey& account, const FetchResult& result, Date now)
{
    if (!account.id.empty()) {
        AccountReadings& readings = saved.accounts[account];
        readings.snapshot.record(result, now);
        if (result) {
            appendHistory(readings.history, *result, now);
        }
        return;
    }
    saved.snapshots[account.provider].record(result, now);
    if (result) {
        appendHistory(saved.history[account.provider], *result, now);
    }
}

const ProviderSnapshot* snapshotOf(const Saved& saved, const AccountKey& account)
{
    if (!account.id.empty()) {
        const auto found = saved.accounts.find(account);
        return found == saved.accounts.end() ? nullptr : &found->second.snapshot;
    }
    const auto found = saved.snapshots.find(account.provider);
    return found == saved.snapshots.end() ? nullptr : &found->second;
}

std::span<const AllowancePoint> historyOf(const Saved& saved, const AccountKey& account)
{
    if (!account.id.empty()) {
        const auto found = saved.accounts.find(account);
        return found == saved.accounts.end() ? std::span<const AllowancePoint>() : found->second.history;
    }
    const auto found = saved.history.find(account.provider);
    return found == saved.history.end() ? std::span<const AllowancePoint>() : found->second;
}

void record(Saved& saved, Provider provider, const FetchResult& result, Date now)
{
    record(saved, AccountKey{provider, {}}, result, now);
}

std::vector<AllowancePoint>
glidePath(const Saved& saved, Provider provider, std::span<const AllowancePoint> scannerPoints, Date now)
{
    return glidePath(saved, AccountKey{provider, {}}, scannerPoints, now);
}

std::vector<AllowancePoint>
glidePath(const Saved& saved, const AccountKey& account, std::span<const AllowancePoint> scannerPoints, Date now)
{
    const ProviderSnapshot* snapshot = snapshotOf(saved, account);
    if (snapshot == nullptr || !snapshot->lastReading) {
        return {};
    }
    const auto& weekly = snapshot->lastReading->weekly;
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
    std::ranges::copy_if(historyOf(saved, account), std::back_inserter(points), belongs);
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
