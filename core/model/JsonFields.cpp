#include "model/JsonFields.h"

#include <cmath>
#include <limits>

namespace ostrel::Json::Fields {
namespace {

/// Every whole number of this size or less is exact in a double.
constexpr double exactIntegerLimit = 9007199254740992.0;  // 2^53
constexpr double int64Limit = 9223372036854775808.0;      // 2^63

}  // namespace

Value number(double value)
{
    if (std::isfinite(value) && std::trunc(value) == value && std::abs(value) <= exactIntegerLimit) {
        return static_cast<std::int64_t>(value);
    }
    return value;
}

Error under(Error error, std::string_view key)
{
    std::string path(key);
    if (!error.path.empty()) {
        if (error.path.front() != '[') {
            path += '.';
        }
        path += error.path;
    }
    error.path = std::move(path);
    return error;
}

std::string indexKey(std::size_t index)
{
    // Appended piece by piece: GCC 12 at -O3 reports a false overlap (-Wrestrict) for "[" + text.
    std::string key = "[";
    key += std::to_string(index);
    key += ']';
    return key;
}

Error typeMismatch(std::string_view expected, const Value& found)
{
    return Error{{}, "Expected " + std::string(expected) + ", found " + found.type_name() + "."};
}

std::optional<Error> readInto(const Value& value, double& out)
{
    if (!value.is_number()) {
        return typeMismatch("a number", value);
    }
    out = value.get<double>();
    return std::nullopt;
}

std::optional<Error> readInto(const Value& value, Date& out)
{
    double seconds = 0;
    if (auto error = readInto(value, seconds)) {
        return error;
    }
    out = dateFromReference(seconds);
    return std::nullopt;
}

std::optional<Error> readInto(const Value& value, std::string& out)
{
    if (!value.is_string()) {
        return typeMismatch("a string", value);
    }
    out = value.get<std::string>();
    return std::nullopt;
}

std::optional<Error> readInto(const Value& value, std::int64_t& out)
{
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
            return Error{{}, "Integer out of range."};
        }
        out = value.get<std::int64_t>();
        return std::nullopt;
    }
    if (value.is_number_integer()) {
        out = value.get<std::int64_t>();
        return std::nullopt;
    }
    // A whole number written with a fraction part (1.0, 1e3) is still that integer.
    if (value.is_number_float()) {
        const double number = value.get<double>();
        if (std::trunc(number) != number) {
            return Error{{}, "Expected an integer, found a fraction."};
        }
        if (number >= int64Limit || number < -int64Limit) {
            return Error{{}, "Integer out of range."};
        }
        out = static_cast<std::int64_t>(number);
        return std::nullopt;
    }
    return typeMismatch("an integer", value);
}

std::optional<Error> readInto(const Value& value, int& out)
{
    std::int64_t wide = 0;
    if (auto error = readInto(value, wide)) {
        return error;
    }
    if (wide < std::numeric_limits<int>::min() || wide > std::numeric_limits<int>::max()) {
        return Error{{}, "Integer out of range."};
    }
    out = static_cast<int>(wide);
    return std::nullopt;
}

std::optional<Error> readInto(const Value& value, Provider& out)
{
    std::string raw;
    if (auto error = readInto(value, raw)) {
        return error;
    }
    const auto provider = fromRawValue<Provider>(raw);
    if (!provider) {
        return Error{{}, "Unknown provider \"" + raw + "\"."};
    }
    out = *provider;
    return std::nullopt;
}

std::optional<Error> readInto(const Value& value, AccountKind& out)
{
    std::string raw;
    if (auto error = readInto(value, raw)) {
        return error;
    }
    const auto kind = fromRawValue<AccountKind>(raw);
    if (!kind) {
        return Error{{}, "Unknown account kind \"" + raw + "\"."};
    }
    out = *kind;
    return std::nullopt;
}

std::optional<Error> readInto(const Value& value, const Value*& out)
{
    out = &value;
    return std::nullopt;
}

std::optional<Error> firstNonFinite(const Value& value)
{
    if (value.is_number_float() && !std::isfinite(value.get<double>())) {
        return Error{{}, "Cannot write a number that is not finite."};
    }
    if (value.is_object()) {
        for (const auto& [key, member] : value.items()) {
            if (auto error = firstNonFinite(member)) {
                return under(std::move(*error), key);
            }
        }
    } else if (value.is_array()) {
        for (std::size_t index = 0; index < value.size(); ++index) {
            if (auto error = firstNonFinite(value[index])) {
                return under(std::move(*error), indexKey(index));
            }
        }
    }
    return std::nullopt;
}

ObjectReader::ObjectReader(const Value& value)
    : m_value(value)
{
    if (!value.is_object()) {
        m_error = typeMismatch("an object", value);
    }
}

const Value* ObjectReader::find(std::string_view key) const
{
    if (m_error) {
        return nullptr;
    }
    const auto found = m_value.find(key);
    return found == m_value.end() ? nullptr : &*found;
}

}  // namespace ostrel::Json::Fields
