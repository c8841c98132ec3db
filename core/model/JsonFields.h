#pragma once
// The building blocks of the strict reader and of the writer behind Json.h:
// typed reads that say what was wrong and where, and an object reader that
// keeps the first failure. Internal to the JSON module.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Json.h"

namespace ostrel::Json::Fields {

/// A double as JSON: whole values that a double holds exactly become integers,
/// so 42.0 is written as 42; anything else, non-finite included, stays a double.
[[nodiscard]] Value number(double value);

/// `error` seen from one level up, under `key` (an object key or "[index]").
[[nodiscard]] Error under(Error error, std::string_view key);
[[nodiscard]] std::string indexKey(std::size_t index);
[[nodiscard]] Error typeMismatch(std::string_view expected, const Value& found);

[[nodiscard]] std::optional<Error> readInto(const Value& value, double& out);
[[nodiscard]] std::optional<Error> readInto(const Value& value, Date& out);
[[nodiscard]] std::optional<Error> readInto(const Value& value, std::string& out);
[[nodiscard]] std::optional<Error> readInto(const Value& value, std::int64_t& out);
[[nodiscard]] std::optional<Error> readInto(const Value& value, int& out);
[[nodiscard]] std::optional<Error> readInto(const Value& value, Provider& out);
[[nodiscard]] std::optional<Error> readInto(const Value& value, AccountKind& out);
/// Any value at all, kept for a later step of reading.
[[nodiscard]] std::optional<Error> readInto(const Value& value, const Value*& out);

/// Any record that Json.h can decode.
template <class T>
[[nodiscard]] std::optional<Error> readInto(const Value& value, T& out)
{
    auto decoded = decode<T>(value);
    if (!decoded) {
        return std::move(decoded.error());
    }
    out = std::move(*decoded);
    return std::nullopt;
}

template <class T>
[[nodiscard]] std::optional<Error> readInto(const Value& value, std::vector<T>& out)
{
    if (!value.is_array()) {
        return typeMismatch("an array", value);
    }
    out.clear();
    out.reserve(value.size());
    for (std::size_t index = 0; index < value.size(); ++index) {
        T element{};
        if (auto error = readInto(value[index], element)) {
            return under(std::move(*error), indexKey(index));
        }
        out.push_back(std::move(element));
    }
    return std::nullopt;
}

/// [k1, v1, k2, v2, ...] into a map; a key given twice makes the document unreadable.
template <class K, class V>
[[nodiscard]] Result<std::map<K, V>> decodePairs(const Value& value)
{
    if (!value.is_array()) {
        return std::unexpected(typeMismatch("an array", value));
    }
    if (value.size() % 2 != 0) {
        return std::unexpected(
            Error{{}, "Expected an array alternating keys and values, found an odd number of elements."});
    }
    std::map<K, V> map;
    for (std::size_t index = 0; index < value.size(); index += 2) {
        K key{};
        if (auto error = readInto(value[index], key)) {
            return std::unexpected(under(std::move(*error), indexKey(index)));
        }
        V element{};
        if (auto error = readInto(value[index + 1], element)) {
            return std::unexpected(under(std::move(*error), indexKey(index + 1)));
        }
        if (!map.emplace(key, std::move(element)).second) {
            return std::unexpected(Error{indexKey(index), "Duplicate key " + value[index].dump() + "."});
        }
    }
    return map;
}

template <class K, class V>
[[nodiscard]] std::optional<Error> readInto(const Value& value, std::map<K, V>& out)
{
    auto map = decodePairs<K, V>(value);
    if (!map) {
        return std::move(map.error());
    }
    out = std::move(*map);
    return std::nullopt;
}

/// The first number in `value` that is not finite, as an error at its place.
[[nodiscard]] std::optional<Error> firstNonFinite(const Value& value);

/// Reads the keys of one object in turn; after the first failure the rest are skipped.
class ObjectReader
{
public:
    explicit ObjectReader(const Value& value);

    template <class T>
    void required(std::string_view key, T& out)
    {
        const Value* found = find(key);
        if (m_error) {
            return;
        }
        if (found == nullptr) {
            m_error = Error{{}, "Missing required key \"" + std::string(key) + "\"."};
            return;
        }
        if (auto error = readInto(*found, out)) {
            m_error = under(std::move(*error), key);
        }
    }

    /// A missing key and null both leave `out` absent.
    template <class T>
    void optional(std::string_view key, std::optional<T>& out)
    {
        out.reset();
        const Value* found = find(key);
        if (m_error || found == nullptr || found->is_null()) {
            return;
        }
        T value{};
        if (auto error = readInto(*found, value)) {
            m_error = under(std::move(*error), key);
            return;
        }
        out = std::move(value);
    }

    template <class T>
    [[nodiscard]] Result<T> finish(T record)
    {
        if (m_error) {
            return std::unexpected(std::move(*m_error));
        }
        return record;
    }

private:
    [[nodiscard]] const Value* find(std::string_view key) const;

    const Value& m_value;
    std::optional<Error> m_error;
};

}  // namespace ostrel::Json::Fields
