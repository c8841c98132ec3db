#pragma once
// Two states of the readings file made one. The app and a refresh run from a
// script each hold the whole state and save it whole; before a save, what the
// other one saved meanwhile is folded into the state that is about to be
// written, so that neither one's readings are lost. Pure: states in, state out.

#include "model/Date.h"
#include "model/ReadingsFile.h"

namespace ostrel::ReadingsMerge {

/// `ours` with what `theirs` recorded, per provider and per named account:
/// - the newer last reading (by `fetchedAt`; ours when they are as new), the
///   later last attempt, and that attempt's failure, unless a reading newer
///   than the attempt stands (as one from the status line can);
/// - the history as the union of both, sorted by date, each point once. A
///   point that only `theirs` holds is left out when it is `historyAge` old or
///   older at `now`: ours dropped it, or would at its next point.
[[nodiscard]] Saved merge(Saved ours, const Saved& theirs, Date now);

}  // namespace ostrel::ReadingsMerge
