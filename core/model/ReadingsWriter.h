#pragma once
// One of the processes that save the readings file: the app, and `ostrel
// --status --refresh` run while no app answers. Each holds the whole state and
// saves it whole, so a save takes the lock beside the file and, when the file
// is not what this writer last wrote there, first folds in what another writer
// recorded (ReadingsMerge). The lock is advisory: it orders our own writers.

#include <chrono>
#include <cstddef>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/Date.h"
#include "model/ReadingsFile.h"

namespace ostrel {

class ReadingsWriter
{
public:
    /// The lock file, beside the readings file: its name with this appended.
    static constexpr std::string_view lockSuffix = ".lock";
    /// How long a save waits for another writer's save to end (theirs take milliseconds).
    static constexpr std::chrono::milliseconds defaultLockWait{5000};

    explicit ReadingsWriter(std::filesystem::path file, std::chrono::milliseconds lockWait = defaultLockWait);

    /// The state to start a run from (ReadingsFile::load: a file that cannot be
    /// read back is set aside, and the run starts afresh).
    [[nodiscard]] Saved load(Date now);

    /// What `load` found wrong, in one or two sentences for the user.
    [[nodiscard]] const std::optional<std::string>& loadProblem() const
    {
        return m_loadProblem;
    }

    /// Under the lock: folds the file into `state` unless it holds what this
    /// writer wrote last (before the first save it always does, which changes
    /// nothing when no one else wrote), then saves `state`. A file that cannot
    /// be read back is replaced, as it always was. `locked` when another writer
    /// held the lock all the while. Once `notAFile` came back, it comes
    /// back at once: that will not go away by itself.
    [[nodiscard]] std::expected<void, ReadingsFileFailure> save(Saved& state, Date now);

private:
    void mergeOthers(Saved& state, Date now) const;

    std::filesystem::path m_file;
    std::chrono::milliseconds m_lockWait;
    /// The hash of the bytes this writer last saved; absent before its first save.
    std::optional<std::size_t> m_written;
    std::optional<ReadingsFileFailure> m_blocked;
    std::optional<std::string> m_loadProblem;
};

}  // namespace ostrel
