#pragma once
// How one member of a record is written and read, apart from which members a
// record has: the description of a key (`Field`), the typed writes that match
// the typed reads of JsonFields.h, and the rules for optional members and for
// lists added to a record after its first files were written. Json.cpp lists
// each record's members with these. Internal to the JSON module.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/EnumRows.h"
#include "model/Json.h"
#include "model/JsonFields.h"

namespace ostrel::Json::Members {

/// One key of a record. A std::optional member is written only when it holds a
/// value, and may be missing or null when read; a list added to a record after
/// its first files were written is written only when it holds something, and
/// may be missing; any other must be present.
template <class Record, class Member>
struct Field
{
    std::string_view key;
    Member Record::*member;
    bool omittedWhenEmpty = false;
};

template <class Record, class Member>
[[nodiscard]] constexpr Field<Record, Member> field(std::string_view key, Member Record::*member)
{
    return {key, member};
}

template <class Record, class Element>
[[nodiscard]] constexpr Field<Record, std::vector<Element>> addedList(std::string_view key,
                                                                      std::vector<Element> Record::*member)
{
    return {key, member, true};
}

[[nodiscard]] Value encodeValue(double value);
[[nodiscard]] Value encodeValue(const std::string& value);
[[nodiscard]] Value encodeValue(std::int64_t value);
[[nodiscard]] Value encodeValue(int value);

/// Dates, failures and records, through `encode`.
template <class T>
[[nodiscard]] Value encodeValue(const T& value)
{
    return encode(value);
}

template <TabledEnum E>
[[nodiscard]] Value encodeValue(const E& value)
{
    return rawValue(value);
}

template <class T>
[[nodiscard]] Value encodeValue(const std::vector<T>& list)
{
    Value array = Value::array();
    for (const T& element : list) {
        array.push_back(encodeValue(element));
    }
    return array;
}

/// Keys that are not strings: [k1, v1, k2, v2, ...].
template <class K, class V>
[[nodiscard]] Value encodeValue(const std::map<K, V>& map)
{
    Value pairs = Value::array();
    for (const auto& [key, value] : map) {
        pairs.push_back(encodeValue(key));
        pairs.push_back(encodeValue(value));
    }
    return pairs;
}

template <class T>
void put(Value& object, std::string_view key, const T& value)
{
    object[std::string(key)] = encodeValue(value);
}

template <class T>
void put(Value& object, std::string_view key, const std::optional<T>& value)
{
    if (value) {
        put(object, key, *value);
    }
}

template <class T>
void take(Fields::ObjectReader& reader, std::string_view key, T& out)
{
    reader.required(key, out);
}

template <class T>
void take(Fields::ObjectReader& reader, std::string_view key, std::optional<T>& out)
{
    reader.optional(key, out);
}

template <class Record, class Member>
void putField(Value& object, const Field<Record, Member>& field, const Record& record)
{
    const Member& value = record.*field.member;
    if constexpr (requires { value.empty(); }) {
        if (field.omittedWhenEmpty && value.empty()) {
            return;
        }
    }
    put(object, field.key, value);
}

template <class Record, class Member>
void takeField(Fields::ObjectReader& reader, const Field<Record, Member>& field, Record& record)
{
    Member& value = record.*field.member;
    if constexpr (requires { value.clear(); }) {
        if (field.omittedWhenEmpty) {
            std::optional<Member> found;
            reader.optional(field.key, found);
            value = std::move(found).value_or(Member{});
            return;
        }
    }
    take(reader, field.key, value);
}

}  // namespace ostrel::Json::Members
