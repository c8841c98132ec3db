#pragma once

// Whether the panel may animate. Linux desktops offer Qt no common
// reduced-motion setting, so the user asks with OSTREL_REDUCE_MOTION=1; Qt's
// own QT_ANIMATION_DURATION_FACTOR=0 means the same. Read at each call, so a
// change reaches the next transition.

namespace ostrel::Motion {

/// True when transitions jump straight to their end and nothing loops.
[[nodiscard]] bool reduced();

}  // namespace ostrel::Motion
