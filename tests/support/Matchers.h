#pragma once
// Matchers for results of type std::expected: assert the specific failure or
// the value, never a bare has_value().

#include <expected>

#include <gmock/gmock.h>

namespace ostrel::testing {

MATCHER_P(FailsWith, failure, "fails with the given failure")
{
    if (arg.has_value()) {
        *result_listener << "holds a value";
        return false;
    }
    return arg.error() == failure;
}

// The description stays generic so polymorphic inner matchers such as
// Field(...) or Eq(...) work without naming the value type.
MATCHER_P(HoldsValue, matcher, "holds a value that matches")
{
    if (!arg.has_value()) {
        *result_listener << "holds an error";
        return false;
    }
    return ::testing::ExplainMatchResult(matcher, *arg, result_listener);
}

/// For failures with several fields: `FailsMatching(Field(&Failure::kind, ...))`.
MATCHER_P(FailsMatching, matcher, "fails with a failure that matches")
{
    if (arg.has_value()) {
        *result_listener << "holds a value";
        return false;
    }
    return ::testing::ExplainMatchResult(matcher, arg.error(), result_listener);
}

/// For std::expected<void, E>, which has no value to match.
MATCHER(Succeeds, "succeeds")
{
    if (!arg.has_value()) {
        *result_listener << "fails";
        return false;
    }
    return true;
}

}  // namespace ostrel::testing
