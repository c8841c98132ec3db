#pragma once
// The readings file: the last snapshot of each provider and two weeks of weekly
// allowance history, kept across restarts in the data folder, and the glide path
// that the chart draws from that history. A file that cannot be read counts as
// empty and is set aside when a run starts, never silently replaced; saving
// replaces it atomically, readable only by the user, since it describes their usage.

#include <cstddef>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/AccountReadings.h"
#include "model/AllowancePoint.h"
#include "model/Date.h"
#include "model/Json.h"
#include "model/Provider.h"
#include "model/ProviderReading.h"

namespace ostrel {

/// The whole document. The default accounts' two keys are always written and
/// both must be present to read; the named accounts' key follows them, only
/// when there are any (AccountReadings).
struct Saved
{
    Json::SnapshotMap snapshots;
    Json::HistoryMap history;
    AccountReadingsMap accounts;

    bool operator==(const Saved&) const = default;
};

struct ReadingsFileFailure
{
    enum class Kind
    {
        missing,             ///< no file yet
        unreadable,          ///< not a regular file, or reading it failed
        tooLarge,            ///< larger than any file we write
        undecodable,         ///< not JSON, or not of our shape; `detail` says where
        unencodable,         ///< the state holds a number JSON cannot carry
        cannotCreateFolder,  ///< the data folder could not be made
        notAFile,            ///< a folder or other non-file is in the file's place; it is left alone
        cannotWrite,         ///< the atomic replacement failed; the old file is untouched
        locked               ///< another writer kept the lock beside the file too long; nothing was written
    };

    Kind kind = Kind::unreadable;
    std::string detail;

    bool operator==(const ReadingsFileFailure&) const = default;
};

namespace ReadingsFile {

/// What `load` did with a file it could not read back.
struct SetAside
{
    ReadingsFileFailure why;
    std::optional<std::filesystem::path> copy;  ///< absent when nothing could be moved, as for a folder

    bool operator==(const SetAside&) const = default;
};

inline constexpr std::string_view folderName = "Ostrel";
inline constexpr std::string_view fileName = "readings.json";
/// History points older than this (seconds, 14 days) go at the next append.
inline constexpr double historyAge = 1209600;
inline constexpr std::size_t glidePathPoints = 160;
/// Points whose renewal time is this close (seconds) belong to the same week.
inline constexpr double sameWeekTolerance = 3600;
/// Far beyond what two weeks of readings take; a larger file is not ours.
inline constexpr std::uintmax_t largestFile = std::uintmax_t{64} * 1024 * 1024;
/// Between the file's name and the date of a copy set aside as unreadable.
inline constexpr std::string_view corruptInfix = ".corrupt-";
inline constexpr std::size_t keptCorruptFiles = 3;

/// $XDG_DATA_HOME/Ostrel, else $HOME/.local/share/Ostrel. Empty or relative values
/// are ignored, as the XDG rules ask; absent when neither gives a folder.
[[nodiscard]] std::optional<std::filesystem::path> dataFolder(std::optional<std::string_view> xdgDataHome,
                                                              std::optional<std::string_view> home);

[[nodiscard]] std::filesystem::path filePath(const std::filesystem::path& dataFolder);

/// Compact JSON of the document; fails on a non-finite number.
[[nodiscard]] Json::Result<std::string> encode(const Saved& saved);
/// What a reading of the file needs: everything, or the default accounts'
/// snapshots alone (the text outputs show no history, which is most of the
/// file; the reading ends where the history begins, and it is left empty, as
/// are the named accounts, which come after it).
enum class Part
{
    whole,
    snapshots
};

[[nodiscard]] Json::Result<Saved> decode(std::string_view text, Part part = Part::whole);

/// The file's bytes, or why there are none: the checks of `read` without the decoding.
[[nodiscard]] std::expected<std::string, ReadingsFileFailure> readText(const std::filesystem::path& file);

/// The file's state, or why there is none. Nothing is pruned or checked beyond the JSON rules.
[[nodiscard]] std::expected<Saved, ReadingsFileFailure> read(const std::filesystem::path& file,
                                                             Part part = Part::whole);

/// `read`, with every failure giving the empty state, for the start of a run.
/// Temporary files of saves that a kill interrupted are removed first. A file
/// that exists but cannot be read back is moved aside as
/// "readings.json.corrupt-<now, UTC>" before a save can replace it; of those
/// aside (mode 0600), the newest three are kept. `setAside`, when given, learns
/// what happened to a file that exists but could not be read.
[[nodiscard]] Saved load(const std::filesystem::path& file, Date now, std::optional<SetAside>* setAside = nullptr);

/// Writes the whole state: folders created 0700 with missing parents, the file
/// replaced atomically with mode 0600, or the file a symbolic link in its place
/// leads to. On failure the previous file stays; `notAFile` will not go away by
/// itself, so a caller need not try again.
[[nodiscard]] std::expected<void, ReadingsFileFailure> save(const std::filesystem::path& file, const Saved& saved);
/// `save` of a state already encoded.
[[nodiscard]] std::expected<void, ReadingsFileFailure> saveText(const std::filesystem::path& file,
                                                                std::string_view text);
/// The file's folder, made as `save` makes it (0700, with missing parents).
[[nodiscard]] std::expected<void, ReadingsFileFailure> createFolder(const std::filesystem::path& file);

/// Appends the point of a reading with a weekly window to an account's history
/// and drops its points that are 14 days old or older. Readings without a
/// weekly window change nothing.
void appendHistory(std::vector<AllowancePoint>& history, const ProviderReading& reading, Date now);

/// The account's last snapshot, or null when none was kept.
[[nodiscard]] const ProviderSnapshot* snapshotOf(const Saved& saved, const AccountKey& account);
/// The account's allowance history; empty when none was kept.
[[nodiscard]] std::span<const AllowancePoint> historyOf(const Saved& saved, const AccountKey& account);

/// Folds one reader result into the account's snapshot and, on success, its history.
void record(Saved& saved, const AccountKey& account, const FetchResult& result, Date now);
/// `record` for the provider's default account.
void record(Saved& saved, Provider provider, const FetchResult& result, Date now);

/// The points of the current weekly window, from the history followed by the
/// activity scanner's points, sorted by date and thinned to 160. Empty when the
/// last reading has no weekly window with a renewal time.
[[nodiscard]] std::vector<AllowancePoint>
glidePath(const Saved& saved, const AccountKey& account, std::span<const AllowancePoint> scannerPoints, Date now);
/// `glidePath` of the provider's default account.
[[nodiscard]] std::vector<AllowancePoint>
glidePath(const Saved& saved, Provider provider, std::span<const AllowancePoint> scannerPoints, Date now);

/// `count` points evenly spread over `points`, the first and the last among them;
/// `points` unchanged when it holds no more than `count`.
[[nodiscard]] std::vector<AllowancePoint> thin(std::vector<AllowancePoint> points, std::size_t count);

}  // namespace ReadingsFile
}  // namespace ostrel
