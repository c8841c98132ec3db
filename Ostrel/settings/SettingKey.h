#pragma once
// How one key of the settings file is described, read and written. Private to
// AppSettings, whose table of keys is made of these.

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "base/QtText.h"
#include "model/ClockTime.h"
#include "model/Date.h"
#include "model/EnumRows.h"

namespace ostrel {

class AppSettings;

namespace settings {

/// One stored key: its name in the file, its value while the file holds none
/// that reads, its member, and the signal that an assignment changing it
/// emits before `changed` (nullptr: nobody is told). `inEffect`, where given,
/// turns the stored value into the one consumers see.
template <class T, class Signal>
struct Key
{
    std::string_view name;
    T fallback;
    T AppSettings::*member;
    Signal notify;
    T (*inEffect)(T) = nullptr;
};

// Spelt out for compilers that deduce no aggregate's arguments (clang before 17, which the lint runs).
template <class T, class Signal>
Key(std::string_view, T, T AppSettings::*, Signal) -> Key<T, Signal>;
template <class T, class Signal>
Key(std::string_view, T, T AppSettings::*, Signal, T (*)(T)) -> Key<T, Signal>;

template <class T>
constexpr bool isOptional = false;
template <class T>
constexpr bool isOptional<std::optional<T>> = true;

/// The text of a value as the file holds it; absent when it holds none.
[[nodiscard]] inline std::optional<QString> text(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) {
        // Unquoted commas make an INI value a list (a hand-edited path, say); joined, it is the text typed.
        return value.toStringList().join(QLatin1Char(','));
    }
    return value.isValid() ? std::optional(value.toString()) : std::nullopt;
}

/// The value `text` stands for; absent when it is none of T. Only what a
/// boolean is written as counts, and a raw value must name a case.
template <class T>
[[nodiscard]] std::optional<T> parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    if constexpr (isOptional<T>) {
        const auto value = parse<typename T::value_type>(text);
        return value ? std::optional<T>(value) : std::nullopt;
    } else if constexpr (std::is_same_v<T, bool>) {
        const bool isTrue =
            trimmed.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || trimmed == QLatin1String("1");
        const bool isFalse =
            trimmed.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0 || trimmed == QLatin1String("0");
        return isTrue || isFalse ? std::optional(isTrue) : std::nullopt;
    } else if constexpr (std::is_same_v<T, int>) {
        bool ok = false;
        const int value = trimmed.toInt(&ok);
        return ok ? std::optional(value) : std::nullopt;
    } else if constexpr (std::is_same_v<T, std::string>) {
        return text.toStdString();
    } else if constexpr (std::is_same_v<T, ClockTime>) {
        return ClockTime::parse(trimmed.toStdString());
    } else if constexpr (std::is_same_v<T, Date>) {
        // ISO 8601 UTC text
        const QDateTime time = QDateTime::fromString(trimmed, Qt::ISODate);
        return time.isValid() ? std::optional(dateFromSince1970(static_cast<double>(time.toSecsSinceEpoch())))
                              : std::nullopt;
    } else {
        return fromRawValue<T>(text.toStdString());
    }
}

/// `value` as the file keeps it; dates as ISO 8601 UTC text to the whole second.
template <class T>
[[nodiscard]] QVariant stored(const T& value)
{
    if constexpr (isOptional<T>) {
        // Only present values are assigned; an absent one would store nothing that reads back.
        return value ? stored(*value) : QVariant();
    } else if constexpr (std::is_enum_v<T>) {
        return qText(rawValue(value));
    } else if constexpr (std::is_same_v<T, std::string>) {
        return QString::fromStdString(value);
    } else if constexpr (std::is_same_v<T, ClockTime>) {
        return qText(value.text());
    } else if constexpr (std::is_same_v<T, Date>) {
        const auto seconds = static_cast<qint64>(secondsSince1970(value));
        return QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC).toString(Qt::ISODate);
    } else {
        return value;
    }
}

}  // namespace settings
}  // namespace ostrel
