#pragma once
// The texts of an enumeration from one table: each case with its raw value
// (the text kept in files and written for other programs, compared exactly)
// and, where people see it, its label. An enumeration `E` takes part by
// declaring beside itself `constexpr auto enumRows(E)`, which returns a
// std::array of rows (EnumRow<E>, or a struct with further columns) listing
// every case once, in the order of the declaration.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

namespace ostrel {

template <class E>
struct EnumRow
{
    E value;
    std::string_view raw;
    std::string_view label{};  ///< empty where people never see the case
};

template <class E>
concept TabledEnum = std::is_enum_v<E> && requires(E value) { enumRows(value); };

/// The rows of `E`, found by argument-dependent lookup.
template <TabledEnum E>
inline constexpr auto rowsOf = enumRows(E{});

template <class Rows>
[[nodiscard]] constexpr bool inDeclarationOrder(const Rows& rows)
{
    for (std::size_t index = 0; index < rows.size(); ++index) {
        if (static_cast<std::size_t>(rows.at(index).value) != index) {
            return false;
        }
    }
    return true;
}

/// The row of `value`; a value outside the table (only a cast makes one) gets the first row.
template <TabledEnum E>
[[nodiscard]] constexpr const auto& rowOf(E value)
{
    // Rows are indexed by their case, so a row out of place, or a case missing before the last, fails the build.
    static_assert(inDeclarationOrder(rowsOf<E>), "enumRows must list every case once, in declaration order");
    const auto index = static_cast<std::size_t>(value);
    return index < rowsOf<E>.size() ? rowsOf<E>.at(index) : rowsOf<E>.front();
}

/// Every case, in the table's order.
template <TabledEnum E>
inline constexpr auto allCases = [] {
    std::array<E, rowsOf<E>.size()> cases{};
    for (std::size_t index = 0; index < cases.size(); ++index) {
        cases.at(index) = rowsOf<E>.at(index).value;
    }
    return cases;
}();

template <TabledEnum E>
[[nodiscard]] constexpr std::string_view rawValue(E value)
{
    return rowOf(value).raw;
}

template <TabledEnum E>
[[nodiscard]] constexpr std::string_view labelOf(E value)
{
    return rowOf(value).label;
}

/// The case whose raw value is exactly `raw` (case-sensitive); absent for any other text.
template <TabledEnum E>
[[nodiscard]] constexpr std::optional<E> fromRawValue(std::string_view raw)
{
    for (const auto& row : rowsOf<E>) {
        if (row.raw == raw) {
            return row.value;
        }
    }
    return std::nullopt;
}

}  // namespace ostrel
