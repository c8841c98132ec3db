#include "model/ReadingsWriter.h"

#include <cerrno>
#include <functional>
#include <string>
#include <utility>

#include "model/ReadingsMerge.h"
#include "posix/FileLock.h"
#include "posix/UniqueFd.h"

namespace ostrel {

ReadingsWriter::ReadingsWriter(std::filesystem::path file, std::chrono::milliseconds lockWait)
    : m_file(std::move(file))
    , m_lockWait(lockWait)
{}

Saved ReadingsWriter::load(Date now)
{
    std::optional<ReadingsFile::SetAside> setAside;
    Saved saved = ReadingsFile::load(m_file, now, &setAside);
    if (setAside && setAside->copy) {
        m_loadProblem = "Ostrel could not read its saved readings (" + setAside->why.detail + ") and set them aside as "
                        + setAside->copy->filename().string() + "; it starts afresh.";
    } else if (setAside) {
        m_loadProblem = "Ostrel cannot read its saved readings in " + m_file.string() + " (" + setAside->why.detail
                        + "); the readings of this session may be lost.";
    }
    return saved;
}

std::expected<void, ReadingsFileFailure> ReadingsWriter::save(Saved& state, Date now)
{
    if (m_blocked) {
        return std::unexpected(*m_blocked);
    }
    // The lock file needs the folder; the save would make it anyway.
    if (const auto created = ReadingsFile::createFolder(m_file); !created) {
        return std::unexpected(created.error());
    }
    std::filesystem::path lockFile = m_file;
    lockFile += lockSuffix;
    const auto lock = posix::lockExclusively(lockFile, m_lockWait);
    // Where no lock can be had at all (a file system without them), the save goes on
    // unordered, still taking in what it finds; it fails only while another writer holds it.
    if (!lock && lock.error() == EWOULDBLOCK) {
        return std::unexpected(
            ReadingsFileFailure{ReadingsFileFailure::Kind::locked, lockFile.string() + " is held by another writer"});
    }
    mergeOthers(state, now);
    const auto text = ReadingsFile::encode(state);
    if (!text) {
        return std::unexpected(ReadingsFileFailure{ReadingsFileFailure::Kind::unencodable, text.error().text()});
    }
    auto saved = ReadingsFile::saveText(m_file, *text);
    if (saved) {
        m_written = std::hash<std::string_view>{}(*text);
    } else if (saved.error().kind == ReadingsFileFailure::Kind::notAFile) {
        m_blocked = saved.error();
    }
    return saved;
}

void ReadingsWriter::mergeOthers(Saved& state, Date now) const
{
    const auto text = ReadingsFile::readText(m_file);
    // Nothing there, or nothing of ours: there is nothing to fold in, and the save replaces it.
    if (!text || (m_written && std::hash<std::string_view>{}(*text) == *m_written)) {
        return;
    }
    if (auto theirs = ReadingsFile::decode(*text)) {
        state = ReadingsMerge::merge(std::move(state), *theirs, now);
    }
}

}  // namespace ostrel
