#include "model/Json.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <system_error>
#include <tuple>

#include "model/JsonFields.h"
#include "model/JsonMembers.h"
#include "model/JsonText.h"

namespace ostrel::Json {
namespace {

using Fields::number;
using Fields::ObjectReader;
using Members::addedList;
using Members::encodeValue;
using Members::field;
using Members::putField;
using Members::takeField;

/// The keys of each record, in the order they are written and read; a record
/// without a description here is neither written nor read.
template <class Record>
constexpr auto fields = nullptr;

template <>
constexpr auto fields<UsageWindow> = std::tuple{field("usedPercent", &UsageWindow::usedPercent),
                                                field("resetsAt", &UsageWindow::resetsAt),
                                                field("duration", &UsageWindow::duration)};

template <>
constexpr auto fields<ResetCredit> =
    std::tuple{field("title", &ResetCredit::title), field("expiresAt", &ResetCredit::expiresAt)};

template <>
constexpr auto fields<AccountTokenUsage::Day> =
    std::tuple{field("date", &AccountTokenUsage::Day::date), field("tokens", &AccountTokenUsage::Day::tokens)};

template <>
constexpr auto fields<AccountTokenUsage> =
    std::tuple{field("days", &AccountTokenUsage::days),
               field("lifetimeTokens", &AccountTokenUsage::lifetimeTokens),
               field("peakDailyTokens", &AccountTokenUsage::peakDailyTokens),
               field("currentStreakDays", &AccountTokenUsage::currentStreakDays)};

template <>
constexpr auto fields<LimitWindow> = std::tuple{field("key", &LimitWindow::key),
                                                field("label", &LimitWindow::label),
                                                field("window", &LimitWindow::window)};

template <>
constexpr auto fields<ProviderReading> = std::tuple{field("provider", &ProviderReading::provider),
                                                    field("fetchedAt", &ProviderReading::fetchedAt),
                                                    field("plan", &ProviderReading::plan),
                                                    field("kind", &ProviderReading::kind),
                                                    field("weekly", &ProviderReading::weekly),
                                                    field("session", &ProviderReading::session),
                                                    field("resetCredits", &ProviderReading::resetCredits),
                                                    field("note", &ProviderReading::note),
                                                    field("source", &ProviderReading::source),
                                                    field("accountUsage", &ProviderReading::accountUsage),
                                                    addedList("otherWindows", &ProviderReading::otherWindows)};

template <>
constexpr auto fields<ProviderSnapshot> = std::tuple{field("lastReading", &ProviderSnapshot::lastReading),
                                                     field("lastAttemptAt", &ProviderSnapshot::lastAttemptAt),
                                                     field("lastFailure", &ProviderSnapshot::lastFailure)};

template <>
constexpr auto fields<AllowancePoint> = std::tuple{field("date", &AllowancePoint::date),
                                                   field("usedPercent", &AllowancePoint::usedPercent),
                                                   field("resetsAt", &AllowancePoint::resetsAt)};

template <>
constexpr auto fields<TokenCounts> = std::tuple{field("cached", &TokenCounts::cached),
                                                field("input", &TokenCounts::input),
                                                field("output", &TokenCounts::output)};

/// Buckets keyed by integers, so written as alternating keys and values.
template <>
constexpr auto fields<TokenSeries> = std::tuple{field("buckets", &TokenSeries::buckets)};

template <>
constexpr auto fields<ProviderActivity> = std::tuple{field("tokens", &ProviderActivity::tokens),
                                                     field("allowance", &ProviderActivity::allowance),
                                                     field("scannedAt", &ProviderActivity::scannedAt)};

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

template <class Record>
Value encode(const Record& record)
{
    Value object = Value::object();
    std::apply([&](const auto&... field) { (putField(object, field, record), ...); }, fields<Record>);
    return object;
}

Value encode(const FetchFailure& failure)
{
    Value payload = Value::object();
    if (failure.kind == FetchFailure::Kind::unreachable || failure.kind == FetchFailure::Kind::unexpected) {
        payload["_0"] = failure.text;
    }
    Value object = Value::object();
    object[std::string(rawValue(failure.kind))] = std::move(payload);
    return object;
}

Value encode(const std::vector<AllowancePoint>& points)
{
    return encodeValue(points);
}

Value encode(const SnapshotMap& snapshots)
{
    return encodeValue(snapshots);
}

Value encode(const HistoryMap& history)
{
    return encodeValue(history);
}

template <class Record>
Result<Record> decode(const Value& value)
{
    ObjectReader reader(value);
    Record record;
    std::apply([&](const auto&... field) { (takeField(reader, field, record), ...); }, fields<Record>);
    return reader.finish(std::move(record));
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
    const auto kind = fromRawValue<FetchFailure::Kind>(name);
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
Result<std::vector<AllowancePoint>> decode<std::vector<AllowancePoint>>(const Value& value)
{
    std::vector<AllowancePoint> points;
    if (auto error = Fields::readInto(value, points)) {
        return std::unexpected(std::move(*error));
    }
    return points;
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

// The records that `encode` and `decode` take.
template Value encode(const UsageWindow&);
template Value encode(const ResetCredit&);
template Value encode(const AccountTokenUsage::Day&);
template Value encode(const AccountTokenUsage&);
template Value encode(const LimitWindow&);
template Value encode(const ProviderReading&);
template Value encode(const ProviderSnapshot&);
template Value encode(const AllowancePoint&);
template Value encode(const TokenCounts&);
template Value encode(const TokenSeries&);
template Value encode(const ProviderActivity&);
template Result<UsageWindow> decode<UsageWindow>(const Value&);
template Result<ResetCredit> decode<ResetCredit>(const Value&);
template Result<AccountTokenUsage::Day> decode<AccountTokenUsage::Day>(const Value&);
template Result<AccountTokenUsage> decode<AccountTokenUsage>(const Value&);
template Result<LimitWindow> decode<LimitWindow>(const Value&);
template Result<ProviderReading> decode<ProviderReading>(const Value&);
template Result<ProviderSnapshot> decode<ProviderSnapshot>(const Value&);
template Result<AllowancePoint> decode<AllowancePoint>(const Value&);
template Result<TokenCounts> decode<TokenCounts>(const Value&);
template Result<TokenSeries> decode<TokenSeries>(const Value&);
template Result<ProviderActivity> decode<ProviderActivity>(const Value&);

Result<std::string> serialize(const Value& value)
{
    if (auto error = Fields::firstNonFinite(value)) {
        return std::unexpected(std::move(*error));
    }
    return value.dump(-1, ' ', false, Value::error_handler_t::replace);
}

Result<Value> parse(std::string_view text)
{
    if (!JsonText::nestsWithin(text)) {
        return std::unexpected(
            Error{{}, "The data is nested more than " + std::to_string(JsonText::deepestNesting) + " levels deep."});
    }
    auto value = JsonText::parse<Value>(text);
    if (value.is_discarded()) {
        return std::unexpected(Error{{}, "The data is not valid JSON."});
    }
    return value;
}

Result<Value> parseBefore(std::string_view text, std::string_view stop)
{
    /// Builds the document as the parser reads it (the library's own builder,
    /// which `parse` uses too), and ends the reading at `stop` among the
    /// top-level members, or past the deepest nesting.
    class Reader : public nlohmann::detail::json_sax_dom_parser<Value>
    {
    public:
        Reader(Value& document, std::string_view stop)
            : json_sax_dom_parser(document, false)
            , m_stop(stop)
        {}

        bool start_object(std::size_t elements)
        {
            return deeper() && json_sax_dom_parser::start_object(elements);
        }

        bool end_object()
        {
            --m_depth;
            return json_sax_dom_parser::end_object();
        }

        bool start_array(std::size_t elements)
        {
            return deeper() && json_sax_dom_parser::start_array(elements);
        }

        bool end_array()
        {
            --m_depth;
            return json_sax_dom_parser::end_array();
        }

        bool key(std::string& name)
        {
            if (m_depth == 1 && name == m_stop) {
                m_stopped = true;
                return false;
            }
            return json_sax_dom_parser::key(name);
        }

        [[nodiscard]] bool stopped() const
        {
            return m_stopped;
        }

        [[nodiscard]] bool tooDeep() const
        {
            return m_tooDeep;
        }

    private:
        [[nodiscard]] bool deeper()
        {
            m_tooDeep = ++m_depth > JsonText::deepestNesting;
            return !m_tooDeep;
        }

        std::string_view m_stop;
        std::size_t m_depth = 0;
        bool m_stopped = false;
        bool m_tooDeep = false;
    };

    Value root;
    Reader reader(root, stop);
    const bool whole = Value::sax_parse(text, &reader, nlohmann::detail::input_format_t::json, true, false);
    if (reader.stopped() && root.is_object()) {
        return root;
    }
    if (reader.tooDeep()) {
        return std::unexpected(
            Error{{}, "The data is nested more than " + std::to_string(JsonText::deepestNesting) + " levels deep."});
    }
    if (!whole || reader.is_errored()) {
        return std::unexpected(Error{{}, "The data is not valid JSON."});
    }
    // Read to its end without meeting `stop`: checked and built as `parse` does.
    return parse(text);
}

}  // namespace ostrel::Json
