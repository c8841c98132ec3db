#pragma once
// The JSON form of our own files. Dates are numbers of seconds since 2001-01-01
// UTC; optional keys are left out when absent; reading is strict (a missing
// required key or a value of the wrong type fails the whole document, as an
// error value); non-finite numbers cannot be written; maps keyed by Provider or
// by 64-bit integers are arrays alternating key and value.

#include <expected>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "model/AccountTokenUsage.h"
#include "model/AllowancePoint.h"
#include "model/FetchFailure.h"
#include "model/Provider.h"
#include "model/ProviderActivity.h"
#include "model/ProviderReading.h"
#include "model/ProviderSnapshot.h"
#include "model/ResetCredit.h"
#include "model/TokenCounts.h"
#include "model/TokenSeries.h"
#include "model/UsageWindow.h"

namespace ostrel::Json {

/// Objects keep their keys in the order written, so files read like the records.
using Value = nlohmann::ordered_json;

/// Why a document could not be read or written.
struct Error
{
    std::string path;     ///< keys and indices from the top, as in "snapshots[1].lastReading"; empty at the top
    std::string message;  ///< one sentence, as in "Missing required key \"source\"."

    /// "path: message", or the message alone at the top.
    [[nodiscard]] std::string text() const;

    bool operator==(const Error&) const = default;
};

template <class T>
using Result = std::expected<T, Error>;

using SnapshotMap = std::map<Provider, ProviderSnapshot>;
using HistoryMap = std::map<Provider, std::vector<AllowancePoint>>;

/// A record of our files as an object of its keys, in the order of its description
/// in Json.cpp: UsageWindow, ResetCredit, AccountTokenUsage and its Day,
/// LimitWindow, ProviderReading, ProviderSnapshot, AllowancePoint, TokenCounts, TokenSeries and
/// ProviderActivity.
template <class Record>
[[nodiscard]] Value encode(const Record& record);
/// A date as the number of seconds since 2001-01-01 UTC.
[[nodiscard]] Value encode(Date date);
[[nodiscard]] Value encode(const FetchFailure& failure);
[[nodiscard]] Value encode(const std::vector<AllowancePoint>& points);
[[nodiscard]] Value encode(const SnapshotMap& snapshots);
[[nodiscard]] Value encode(const HistoryMap& history);

/// Reads one record strictly; defined for every type that `encode` takes.
template <class T>
[[nodiscard]] Result<T> decode(const Value& value);

template <>
[[nodiscard]] Result<Date> decode<Date>(const Value& value);
template <>
[[nodiscard]] Result<FetchFailure> decode<FetchFailure>(const Value& value);
template <>
[[nodiscard]] Result<std::vector<AllowancePoint>> decode<std::vector<AllowancePoint>>(const Value& value);
template <>
[[nodiscard]] Result<SnapshotMap> decode<SnapshotMap>(const Value& value);
template <>
[[nodiscard]] Result<HistoryMap> decode<HistoryMap>(const Value& value);

/// Compact text (no whitespace). Fails when a number anywhere in `value` is not
/// finite; bytes that are not UTF-8 are written as U+FFFD.
[[nodiscard]] Result<std::string> serialize(const Value& value);

/// Fails when `text` is not one well-formed JSON value.
[[nodiscard]] Result<Value> parse(std::string_view text);
/// The members of the top-level object that come before its member `stop`;
/// the text from `stop` on is not read at all, so a reader that needs only
/// the first members pays for them alone. Without such a member, `parse`.
[[nodiscard]] Result<Value> parseBefore(std::string_view text, std::string_view stop);

template <class T>
[[nodiscard]] Result<std::string> write(const T& record)
{
    return serialize(encode(record));
}

template <class T>
[[nodiscard]] Result<T> read(std::string_view text)
{
    const auto value = parse(text);
    if (!value) {
        return std::unexpected(value.error());
    }
    return decode<T>(*value);
}

}  // namespace ostrel::Json
