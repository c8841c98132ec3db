#pragma once
// Gathers, for one provider at a time, the token use and the weekly allowance
// observations in that assistant's local session logs over the last eight
// days. Files are read incrementally: the scanner remembers how far it read in
// each and what that part held, keeps that memory in a cache file between
// launches, and reads only what was appended since.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "activity/ActivityCache.h"
#include "activity/CacheWriter.h"
#include "model/Date.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"

namespace ostrel {

class ActivityScanner
{
public:
    /// Eight days, in seconds: files and counts older than this are left out.
    static constexpr double lookback = 691200;

    struct Options
    {
        /// Absent: no cache is loaded or saved (demonstration mode, tests).
        std::optional<std::filesystem::path> cacheFile;
    };

    /// The folders holding the provider's logs in the tool's own folder, in
    /// order: projects for Claude Code, sessions and archived_sessions for Codex.
    [[nodiscard]] static std::vector<std::filesystem::path> logFolders(Provider provider,
                                                                       const std::filesystem::path& toolFolder);

    /// What the last scan did, for benchmarks and tests.
    struct Report
    {
        std::size_t filesListed = 0;
        std::size_t filesRead = 0;    ///< files opened because they changed
        std::uint64_t bytesRead = 0;  ///< bytes of complete lines consumed
        bool cacheSaved = false;
    };

    /// Reads nothing yet; the cache is loaded at the first scan.
    explicit ActivityScanner(Options options);

    /// Scans one provider's logs in each of its accounts' tool folders as of
    /// `now`: one activity per folder, in order. Never fails: unreadable
    /// folders, files and caches count as empty. The cache knows each log by
    /// its path, and keeps the provider's logs only under the folders of the
    /// latest scan, so a folder no longer scanned is forgotten. Scans may be
    /// called from any thread; they run one at a time, each seeing the state
    /// the previous one left.
    [[nodiscard]] std::vector<ProviderActivity>
    scan(Provider provider, std::span<const std::filesystem::path> toolFolders, Date now);
    /// The same for a tool with a single folder.
    [[nodiscard]] ProviderActivity scan(Provider provider, const std::filesystem::path& toolFolder, Date now);

    [[nodiscard]] Report lastReport() const;

private:
    struct Listed
    {
        std::filesystem::path path;
        std::uint64_t size = 0;
        Date modified;
    };

    void loadOnce();
    [[nodiscard]] static std::vector<Listed> list(const std::vector<std::filesystem::path>& roots, Date cutoff);
    void save();

    Options m_options;
    mutable std::mutex m_mutex;
    ActivityCache::State m_state;
    /// Keeps the cache text of every file state that has not changed since the last save.
    CacheWriter m_writer;
    bool m_loaded = false;
    /// The cache file is behind the state: rewritten at the end of the next scan.
    bool m_unsaved = false;
    Report m_report;
};

}  // namespace ostrel
