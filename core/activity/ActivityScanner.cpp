#include "activity/ActivityScanner.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel {
namespace {

/// Modification dates go through the cache as seconds since 2001 in a double;
/// a change smaller than this is rounding, not a new write.
constexpr double sameDateTolerance = 1e-6;

[[nodiscard]] bool sameDate(Date a, Date b)
{
    return std::abs((a - b).count()) < sameDateTolerance;
}

[[nodiscard]] std::filesystem::path madeAbsolute(const std::filesystem::path& path)
{
    std::error_code error;
    auto result = std::filesystem::absolute(path, error);
    return error ? path : result;
}

[[nodiscard]] bool isHidden(const std::filesystem::path& path)
{
    const std::filesystem::path name = path.filename();
    return !name.empty() && name.native().front() == '.';
}

/// Keeps `points` dated at or after `cutoff`.
void dropBefore(std::vector<AllowancePoint>& points, Date cutoff)
{
    std::erase_if(points, [cutoff](const AllowancePoint& point) { return point.date < cutoff; });
}

}  // namespace

std::vector<std::filesystem::path> ActivityScanner::logFolders(Provider provider,
                                                               const std::filesystem::path& toolFolder)
{
    // Cache keys hold absolute paths, whatever form the folder was given in.
    const auto folder = madeAbsolute(toolFolder);
    if (provider == Provider::claude) {
        return {folder / "projects"};
    }
    return {folder / "sessions", folder / "archived_sessions"};
}

ActivityScanner::ActivityScanner(Options options)
    : m_options(std::move(options))
{}

ProviderActivity ActivityScanner::scan(Provider provider, const std::filesystem::path& toolFolder, Date now)
{
    return std::move(scan(provider, std::span(&toolFolder, 1), now).front());
}

std::vector<ProviderActivity>
ActivityScanner::scan(Provider provider, std::span<const std::filesystem::path> toolFolders, Date now)
{
    const std::scoped_lock lock(m_mutex);
    loadOnce();
    const Date cutoff = now - Seconds{lookback};
    const std::string prefix = std::string(rawValue(provider)) + ":";

    // This provider's entries are taken out; those of listed files go back in,
    // so files that vanished, aged out or lie in a folder no longer scanned are
    // forgotten. The other provider's stay.
    std::map<std::string, FileState> previous;
    for (auto it = m_state.files.lower_bound(prefix); it != m_state.files.end() && it->first.starts_with(prefix);) {
        previous.insert(m_state.files.extract(it++));
    }

    Report report;
    bool changed = false;
    std::vector<ProviderActivity> activities(toolFolders.size(), ProviderActivity{{}, {}, now});
    std::vector<char> buffer;  // one for all the files of this scan, freed after it
    for (std::size_t index = 0; index < toolFolders.size(); ++index) {
        ProviderActivity& activity = activities[index];
        for (auto& listed : list(logFolders(provider, toolFolders[index]), cutoff)) {
            ++report.filesListed;
            std::string key = prefix + listed.path.native();
            // Two accounts naming one folder share its logs: read once, counted for each.
            if (const auto scanned = m_state.files.find(key); scanned != m_state.files.end()) {
                activity.tokens.merge(scanned->second.tokens);
                std::ranges::copy(scanned->second.allowance, std::back_inserter(activity.allowance));
                continue;
            }
            auto node = previous.extract(key);
            FileState file = node.empty() ? FileState{} : std::move(node.mapped());
            if (node.empty() || file.size != listed.size || !sameDate(file.modified, listed.modified)) {
                changed = true;
                m_writer.forget(key);
                // A log that got smaller was truncated or replaced: its old counts no longer hold.
                if (listed.size < file.size || listed.size < file.offset) {
                    file = FileState{};
                }
                // A file that cannot be read keeps its counts until it changes again.
                report.bytesRead += file.read(listed.path, provider, buffer).value_or(0);
                ++report.filesRead;
                file.size = listed.size;
                file.modified = listed.modified;
                file.tokens.prune(cutoff);
                dropBefore(file.allowance, cutoff);
            }
            activity.tokens.merge(file.tokens);
            std::ranges::copy(file.allowance, std::back_inserter(activity.allowance));
            m_state.files.insert_or_assign(std::move(key), std::move(file));
        }
        activity.tokens.prune(cutoff);
        std::ranges::stable_sort(activity.allowance, {}, &AllowancePoint::date);
    }
    if (changed || !previous.empty()) {
        m_unsaved = true;
    }
    save();
    report.cacheSaved = m_options.cacheFile && !m_unsaved && (changed || !previous.empty());
    m_report = report;
    return activities;
}

ActivityScanner::Report ActivityScanner::lastReport() const
{
    const std::scoped_lock lock(m_mutex);
    return m_report;
}

void ActivityScanner::loadOnce()
{
    if (std::exchange(m_loaded, true) || !m_options.cacheFile) {
        return;
    }
    // Saves that a kill interrupted leave their temporary files; nothing else removes them.
    posix::removeTemporaries(*m_options.cacheFile, posix::Link::replaced);
    if (auto state = ActivityCache::load(*m_options.cacheFile)) {
        m_state = std::move(*state);
    } else {
        // Missing, corrupt, foreign or of another version: replaced at the first save.
        m_unsaved = true;
    }
}

std::vector<ActivityScanner::Listed> ActivityScanner::list(const std::vector<std::filesystem::path>& roots, Date cutoff)
{
    std::vector<Listed> listed;
    for (const auto& root : roots) {
        std::error_code error;
        std::filesystem::recursive_directory_iterator it(root,
                                                         std::filesystem::directory_options::skip_permission_denied,
                                                         error);
        for (; !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            const auto& path = it->path();
            if (isHidden(path)) {
                std::error_code typeError;
                if (it->is_directory(typeError)) {
                    it.disable_recursion_pending();
                }
                continue;
            }
            if (path.extension() != ".jsonl") {
                continue;
            }
            const auto status = posix::fileStatus(path);
            if (!status || !status->regular) {
                continue;
            }
            const Date modified = dateFromSince1970(static_cast<double>(status->modifiedSeconds)
                                                    + static_cast<double>(status->modifiedNanoseconds) * 1e-9);
            if (modified >= cutoff) {
                listed.push_back({path, status->size, modified});
            }
        }
    }
    return listed;
}

void ActivityScanner::save()
{
    if (!m_options.cacheFile || !m_unsaved) {
        return;
    }
    // A failed write is retried after the next scan; the state in memory stays.
    if (ActivityCache::save(*m_options.cacheFile, m_state, m_writer)) {
        m_unsaved = false;
    }
}

}  // namespace ostrel
