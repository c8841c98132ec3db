#pragma once
// The default accounts' readings in the files of the compatibility check
// (previous-decoder.sh), and the text that check compares decoders by. It is
// compiled against this tree's core and against the previous release's, so it
// uses only what both have: the file's two original keys and their records.

#include <expected>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include "model/DemoData.h"
#include "model/ReadingsFile.h"

namespace ostrel::compat {

/// When the files are written: fixed, so that every run writes the same bytes.
inline const Date writtenAt = dateFromReference(786000000);

/// A step that cannot go on; the driver ends with its text on standard error.
struct Failure : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

/// Both tools read, with a week of history each (the demonstration data on
/// UTC's calendar), and a later Codex attempt that failed, so that one
/// snapshot keeps its last reading beside its failure.
[[nodiscard]] inline Saved defaultReadings()
{
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), icu::Locale("en_US"), status));
    if (status > U_ZERO_ERROR || !calendar) {
        throw Failure("no UTC calendar");
    }
    DemoSample sample = DemoData::make(writtenAt, *calendar);
    Saved saved;
    saved.snapshots = std::move(sample.snapshots);
    saved.history = std::move(sample.history);
    ReadingsFile::record(saved,
                         Provider::openai,
                         std::unexpected(FetchFailure::unreachable("codex app-server did not answer")),
                         writtenAt);
    return saved;
}

/// What a decoder read of the default accounts, a line each: the snapshots and
/// history of the whole file as a run loads it, then the snapshots of a reading
/// that stops where the history begins, as `--status` reads. Each release
/// writes it with its own encoder, and for the default accounts every release
/// writes the same bytes.
[[nodiscard]] inline std::string defaultsText(const Saved& whole, const Saved& snapshotsAlone)
{
    Saved defaults;
    defaults.snapshots = whole.snapshots;
    defaults.history = whole.history;
    Saved first;
    first.snapshots = snapshotsAlone.snapshots;
    const auto wholeText = ReadingsFile::encode(defaults);
    const auto firstText = ReadingsFile::encode(first);
    if (!wholeText || !firstText) {
        throw Failure("the default accounts' readings cannot be encoded");
    }
    return *wholeText + "\n" + *firstText + "\n";
}

}  // namespace ostrel::compat
