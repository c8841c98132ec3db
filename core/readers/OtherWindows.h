#pragma once
// The windows a provider reports beside its weekly allowance and session:
// Claude's per-model weeks (`seven_day_opus`, `seven_day_sonnet`, the list
// `model_scoped`) and Codex's limits other than its own (`rateLimitsByLimitId`).
// Each bucket is taken or skipped on its own: one that is malformed, lacks a
// used percentage or repeats a key is left out, and never costs the others or
// the reading. Pure functions over untyped JSON.

#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/LimitWindow.h"

namespace ostrel::OtherWindows {

/// From the body of Claude's usage endpoint.
[[nodiscard]] std::vector<LimitWindow> fromClaude(const nlohmann::json& body);

/// From the result of Codex's `account/rateLimits/read`: every window of every
/// limit except `ownLimit`, whose windows are the weekly allowance and session.
[[nodiscard]] std::vector<LimitWindow> fromCodex(const nlohmann::json* rateLimits, std::string_view ownLimit);

}  // namespace ostrel::OtherWindows
