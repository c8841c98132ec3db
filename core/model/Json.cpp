#include "model/Json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>

#include "model/JsonFields.h"
#include "model/JsonText.h"

namespace ostrel::Json {
namespace {

using Fields::number;
using Fields::ObjectReader;

[[nodiscard]] std::string_view caseName(FetchFailure::Kind kind)
{
    switch (kind) {
    case FetchFailure::Kind::unreachable:
        return "unreachable";
    case FetchFailure::Kind::unexpected:
        return "unexpected";
    case FetchFailure::Kind::cliMissing:
        return "cliMissing";
    case FetchFailure::Kind::notLoggedIn:
        return "notLoggedIn";
    }
    return "unexpected";
}

[[nodiscard]] std::optional<FetchFailure::Kind> kindFromCaseName(std::string_view name)
{
    for (auto kind : {FetchFailure::Kind::unreachable,
                      FetchFailure::Kind::unexpected,
                      FetchFailure::Kind::cliMissing,
                      FetchFailure::Kind::notLoggedIn}) {
        if (caseName(kind) == name) {
            return kind;
        }
    }
    return std::nullopt;
}

template <class T>
void putOptional(Value& object, std::string_view key, const std::optional<T>& value)
{
    if (value) {
        object[std::string(key)] = encode(*value);
    }
}

void putOptional(Value& object, std::string_view key, const std::optional<std::string>& value)
{
    if (value) {
        object[std::string(key)] = *value;
    }
}

template <class Integer>
void putOptionalInteger(Value& object, std::string_view key, const std::optional<Integer>& value)
{
    if (value) {
        object[std::string(key)] = *value;
    }
}

template <class Record>
[[nodiscard]] Value encodeList(const std::vector<Record>& records)
{
    Value list = Value::array();
    for (const Record& record : records) {
        list.push_back(encode(record));
    }
    return list;
}

template <class V>
[[nodiscard]] Value encodeProviderMap(const std::map<Provider, V>& map)
{
    Value pairs = Value::array();
    for (const auto& [provider, value] : map) {
        pairs.push_back(rawValue(provider));
        pairs.push_back(encode(value));
    }
    return pairs;
}

/// Dates live as seconds since 1970, so the exact seconds since 2001 of one
/// read from a file are a few ulps off ("786000300.1" would come back as
/// 786000300.0999999). The shortest decimal that reads back as the same date
/// keeps both the text and the date unchanged through any number of saves.
[[nodiscard]] double shortestReferenceSeconds(Date date)
{
    const double exact = secondsSinceReference(date);
    if (!std::isfinite(exact)) {
        return exact;
    }
    constexpr int mostDigits = std::numeric_limits<double>::max_digits10;
    std::array<char, 32> text{};
    for (int digits = 1; digits < mostDigits; ++digits) {
        const auto written =
            std::to_chars(text.data(), text.data() + text.size(), exact, std::chars_format::general, digits);
        double candidate = 0;
        const auto read = std::from_chars(text.data(), written.ptr, candidate);
        if (written.ec == std::errc() && read.ec == std::errc() && dateFromReference(candidate) == date) {
            return candidate;
        }
    }
    return exact;
}

}  // namespace

std::string Error::text() const
{
    return path.empty() ? message : path + ": " + message;
}

Value encode(Date date)
{
    return number(shortestReferenceSeconds(date));
}

Value encode(const UsageWindow& window)
{
    Value object = {{"usedPercent", number(window.usedPercent)}};
    putOptional(object, "resetsAt", window.resetsAt);
    object["duration"] = number(window.duration);
    return object;
}

Value encode(const ResetCredit& credit)
{
    Value object = Value::object();
    putOptional(object, "title", credit.title);
    putOptional(object, "expiresAt", credit.expiresAt);
    return object;
}

Value encode(const FetchFailure& failure)
{
    Value payload = Value::object();
    if (failure.kind == FetchFailure::Kind::unreachable || failure.kind == FetchFailure::Kind::unexpected) {
        payload["_0"] = failure.text;
    }
    Value object = Value::object();
    object[std::string(caseName(failure.kind))] = std::move(payload);
    return object;
}

Value encode(const AccountTokenUsage::Day& day)
{
    return {{"date", day.date}, {"tokens", day.tokens}};
}

Value encode(const AccountTokenUsage& usage)
{
    Value object = {{"days", encodeList(usage.days)}};
    putOptionalInteger(object, "lifetimeTokens", usage.lifetimeTokens);
    putOptionalInteger(object, "peakDailyTokens", usage.peakDailyTokens);
    putOptionalInteger(object, "currentStreakDays", usage.currentStreakDays);
    return object;
}

Value encode(const ProviderReading& reading)
{
    Value object = {{"provider", rawValue(reading.provider)}, {"fetchedAt", encode(reading.fetchedAt)}};
    putOptional(object, "plan", reading.plan);
    object["kind"] = rawValue(reading.kind);
    putOptional(object, "weekly", reading.weekly);
    putOptional(object, "session", reading.session);
    object["resetCredits"] = encodeList(reading.resetCredits);
    putOptional(object, "note", reading.note);
    object["source"] = reading.source;
    putOptional(object, "accountUsage", reading.accountUsage);
    return object;
}

Value encode(const ProviderSnapshot& snapshot)
{
    Value object = Value::object();
    putOptional(object, "lastReading", snapshot.lastReading);
    putOptional(object, "lastAttemptAt", snapshot.lastAttemptAt);
    putOptional(object, "lastFailure", snapshot.lastFailure);
    return object;
}

Value encode(const AllowancePoint& point)
{
    Value object = {{"date", encode(point.date)}, {"usedPercent", number(point.usedPercent)}};
    putOptional(object, "resetsAt", point.resetsAt);
    return object;
}

Value encode(const std::vector<AllowancePoint>& points)
{
    return encodeList(points);
}

Value encode(const TokenCounts& counts)
{
    return {{"cached", counts.cached}, {"input", counts.input}, {"output", counts.output}};
}

Value encode(const TokenSeries& series)
{
    Value pairs = Value::array();
    for (const auto& [key, counts] : series.buckets) {
        pairs.push_back(key);
        pairs.push_back(encode(counts));
    }
    return {{"buckets", std::move(pairs)}};
}

Value encode(const ProviderActivity& activity)
{
    return {{"tokens", encode(activity.tokens)},
            {"allowance", encodeList(activity.allowance)},
            {"scannedAt", encode(activity.scannedAt)}};
}

Value encode(const SnapshotMap& snapshots)
{
    return encodeProviderMap(snapshots);
}

Value encode(const HistoryMap& history)
{
    return encodeProviderMap(history);
}

template <>
Result<Date> decode<Date>(const Value& value)
{
    Date date;
    if (auto error = Fields::readInto(value, date)) {
        return std::unexpected(std::move(*error));
    }
    return date;
}

template <>
Result<UsageWindow> decode<UsageWindow>(const Value& value)
{
    ObjectReader reader(value);
    UsageWindow window;
    reader.required("usedPercent", window.usedPercent);
    reader.optional("resetsAt", window.resetsAt);
    reader.required("duration", window.duration);
    return reader.finish(window);
}

template <>
Result<ResetCredit> decode<ResetCredit>(const Value& value)
{
    ObjectReader reader(value);
    ResetCredit credit;
    reader.optional("title", credit.title);
    reader.optional("expiresAt", credit.expiresAt);
    return reader.finish(std::move(credit));
}

template <>
Result<FetchFailure> decode<FetchFailure>(const Value& value)
{
    if (!value.is_object()) {
        return std::unexpected(Fields::typeMismatch("an object", value));
    }
    if (value.size() != 1) {
        return std::unexpected(Error{{}, "Invalid number of keys found, expected one."});
    }
    // The iterator is kept by name: a binding to *items().begin() would refer into a temporary.
    const auto first = value.begin();
    const std::string& name = first.key();
    const Value& payload = first.value();
    const auto kind = kindFromCaseName(name);
    if (!kind) {
        return std::unexpected(Error{{}, "Unknown failure case \"" + name + "\"."});
    }
    ObjectReader reader(payload);
    FetchFailure failure{*kind, {}};
    if (*kind == FetchFailure::Kind::unreachable || *kind == FetchFailure::Kind::unexpected) {
        reader.required("_0", failure.text);
    }
    auto result = reader.finish(std::move(failure));
    if (!result) {
        return std::unexpected(Fields::under(std::move(result.error()), name));
    }
    return result;
}

template <>
Result<AccountTokenUsage::Day> decode<AccountTokenUsage::Day>(const Value& value)
{
    ObjectReader reader(value);
    AccountTokenUsage::Day day;
    reader.required("date", day.date);
    reader.required("tokens", day.tokens);
    return reader.finish(std::move(day));
}

template <>
Result<AccountTokenUsage> decode<AccountTokenUsage>(const Value& value)
{
    ObjectReader reader(value);
    AccountTokenUsage usage;
    reader.required("days", usage.days);
    reader.optional("lifetimeTokens", usage.lifetimeTokens);
    reader.optional("peakDailyTokens", usage.peakDailyTokens);
    reader.optional("currentStreakDays", usage.currentStreakDays);
    return reader.finish(std::move(usage));
}

template <>
Result<ProviderReading> decode<ProviderReading>(const Value& value)
{
    ObjectReader reader(value);
    ProviderReading reading;
    reader.required("provider", reading.provider);
    reader.required("fetchedAt", reading.fetchedAt);
    reader.optional("plan", reading.plan);
    reader.required("kind", reading.kind);
    reader.optional("weekly", reading.weekly);
    reader.optional("session", reading.session);
    reader.required("resetCredits", reading.resetCredits);
    reader.optional("note", reading.note);
    reader.required("source", reading.source);
    reader.optional("accountUsage", reading.accountUsage);
    return reader.finish(std::move(reading));
}

template <>
Result<ProviderSnapshot> decode<ProviderSnapshot>(const Value& value)
{
    ObjectReader reader(value);
    ProviderSnapshot snapshot;
    reader.optional("lastReading", snapshot.lastReading);
    reader.optional("lastAttemptAt", snapshot.lastAttemptAt);
    reader.optional("lastFailure", snapshot.lastFailure);
    return reader.finish(std::move(snapshot));
}

template <>
Result<AllowancePoint> decode<AllowancePoint>(const Value& value)
{
    ObjectReader reader(value);
    AllowancePoint point;
    reader.required("date", point.date);
    reader.required("usedPercent", point.usedPercent);
    reader.optional("resetsAt", point.resetsAt);
    return reader.finish(point);
}

template <>
Result<std::vector<AllowancePoint>> decode<std::vector<AllowancePoint>>(const Value& value)
{
    std::vector<AllowancePoint> points;
    if (auto error = Fields::readInto(value, points)) {
        return std::unexpected(std::move(*error));
    }
    return points;
}

template <>
Result<TokenCounts> decode<TokenCounts>(const Value& value)
{
    ObjectReader reader(value);
    TokenCounts counts;
    reader.required("cached", counts.cached);
    reader.required("input", counts.input);
    reader.required("output", counts.output);
    return reader.finish(counts);
}

template <>
Result<TokenSeries> decode<TokenSeries>(const Value& value)
{
    ObjectReader reader(value);
    const Value* buckets = nullptr;
    reader.required("buckets", buckets);
    auto ready = reader.finish(buckets);
    if (!ready) {
        return std::unexpected(std::move(ready.error()));
    }
    auto map = Fields::decodePairs<std::int64_t, TokenCounts>(*buckets);
    if (!map) {
        return std::unexpected(Fields::under(std::move(map.error()), "buckets"));
    }
    return TokenSeries{std::move(*map)};
}

template <>
Result<ProviderActivity> decode<ProviderActivity>(const Value& value)
{
    ObjectReader reader(value);
    ProviderActivity activity;
    reader.required("tokens", activity.tokens);
    reader.required("allowance", activity.allowance);
    reader.required("scannedAt", activity.scannedAt);
    return reader.finish(std::move(activity));
}

template <>
Result<SnapshotMap> decode<SnapshotMap>(const Value& value)
{
    return Fields::decodePairs<Provider, ProviderSnapshot>(value);
}

template <>
Result<HistoryMap> decode<HistoryMap>(const Value& value)
{
    return Fields::decodePairs<Provider, std::vector<AllowancePoint>>(value);
}

Result<std::string> serialize(const Value& value)
{
    if (auto error = Fields::firstNonFinite(value)) {
        return std::unexpected(std::move(*error));
    }
    return value.dump(-1, ' ', false, Value::error_handler_t::replace);
}

Result<Value> parse(std::string_view text)
{
    return parseWithout(text, {});
}

Result<Value> parseWithout(std::string_view text, std::string_view skippedMember)
{
    if (!JsonText::nestsWithin(text)) {
        return std::unexpected(
            Error{{}, "The data is nested more than " + std::to_string(JsonText::deepestNesting) + " levels deep."});
    }
    // Skipped members are still read for syntax, but never built.
    Value::parser_callback_t skip;
    if (!skippedMember.empty()) {
        skip = [skippedMember](int depth, Value::parse_event_t event, Value& parsed) {
            return !(depth == 1 && event == Value::parse_event_t::key && parsed == skippedMember);
        };
    }
    Value value = JsonText::parse<Value>(text, std::move(skip));
    if (value.is_discarded()) {
        return std::unexpected(Error{{}, "The data is not valid JSON."});
    }
    return value;
}

}  // namespace ostrel::Json
