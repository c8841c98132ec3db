#include "model/AlertStateFile.h"

#include <cstdint>
#include <system_error>

#include "model/Json.h"
#include "model/ToolAccount.h"
#include "posix/AtomicFile.h"
#include "posix/ReadOnlyFile.h"

namespace ostrel::AlertStateFile {
namespace {

using Json::Value;

constexpr mode_t fileMode = 0600;
constexpr mode_t folderMode = 0700;
/// Far beyond any state we write; a larger file is not ours.
constexpr std::uint64_t largestFile = std::uint64_t{1024} * 1024;

[[nodiscard]] Value encodeFired(const FiredAlert& fired)
{
    return Value{{"kind", rawValue(fired.kind)}, {"at", Json::encode(fired.at)}, {"delivered", fired.delivered}};
}

[[nodiscard]] const Value* member(const Value& object, std::string_view key)
{
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found != object.end() ? &*found : nullptr;
}

[[nodiscard]] std::optional<Date> date(const Value& object, std::string_view key)
{
    const Value* value = member(object, key);
    if (value == nullptr) {
        return std::nullopt;
    }
    const auto decoded = Json::decode<Date>(*value);
    return decoded ? std::optional{*decoded} : std::nullopt;
}

[[nodiscard]] std::optional<std::string> text(const Value& object, std::string_view key)
{
    const Value* value = member(object, key);
    return value != nullptr && value->is_string() ? std::optional{value->get<std::string>()} : std::nullopt;
}

[[nodiscard]] std::optional<bool> flag(const Value& object, std::string_view key)
{
    const Value* value = member(object, key);
    return value != nullptr && value->is_boolean() ? std::optional{value->get<bool>()} : std::nullopt;
}

[[nodiscard]] std::optional<FiredAlert> decodeFired(const Value& value)
{
    const auto kind = text(value, "kind");
    const auto parsedKind = kind ? fromRawValue<AlertKind>(*kind) : std::nullopt;
    const auto at = date(value, "at");
    const auto delivered = flag(value, "delivered");
    if (!parsedKind || !at || !delivered) {
        return std::nullopt;
    }
    return FiredAlert{*parsedKind, *at, *delivered};
}

/// Every element of the array `key` read by `read`; absent when any is unreadable.
template <class T, class Read>
[[nodiscard]] std::optional<std::vector<T>> list(const Value& object, std::string_view key, Read read)
{
    const Value* value = member(object, key);
    if (value == nullptr || !value->is_array()) {
        return std::nullopt;
    }
    std::vector<T> items;
    for (const Value& element : *value) {
        auto item = read(element);
        if (!item) {
            return std::nullopt;
        }
        items.push_back(std::move(*item));
    }
    return items;
}

[[nodiscard]] std::optional<WindowAlertState> decodeWindow(const Value& value)
{
    auto key = text(value, "key");
    auto name = text(value, "name");
    const auto periodEnd = date(value, "periodEnd");
    auto fired = list<FiredAlert>(value, "fired", decodeFired);
    if (!key || !name || !periodEnd || !fired) {
        return std::nullopt;
    }
    return WindowAlertState{std::move(*key), std::move(*name), *periodEnd, std::move(*fired)};
}

[[nodiscard]] std::optional<ProviderAlertState> decodeProvider(const Value& value)
{
    const auto raw = text(value, "provider");
    const auto provider = raw ? fromRawValue<Provider>(*raw) : std::nullopt;
    const auto signedOut = flag(value, "signedOut");
    auto windows = list<WindowAlertState>(value, "windows", decodeWindow);
    // Files from before named accounts have no "accountId": theirs are the default accounts.
    const Value* id = member(value, "accountId");
    if (!provider || !signedOut || !windows
        || (id != nullptr && (!id->is_string() || !isAccountId(id->get<std::string>())))) {
        return std::nullopt;
    }
    std::optional<FiredAlert> account;
    if (const Value* found = member(value, "account")) {
        account = decodeFired(*found);
        if (!account) {
            return std::nullopt;
        }
    }
    return ProviderAlertState{*provider,
                              id != nullptr ? id->get<std::string>() : std::string(),
                              *signedOut,
                              account,
                              std::move(*windows)};
}

}  // namespace

std::filesystem::path filePath(const std::filesystem::path& dataFolder)
{
    return dataFolder / fileName;
}

std::expected<std::string, std::string> encode(const AlertState& state)
{
    Value providers = Value::array();
    for (const ProviderAlertState& provider : state.providers) {
        Value windows = Value::array();
        for (const WindowAlertState& window : provider.windows) {
            Value fired = Value::array();
            for (const FiredAlert& one : window.fired) {
                fired.push_back(encodeFired(one));
            }
            windows.push_back(Value{{"key", window.key},
                                    {"name", window.name},
                                    {"periodEnd", Json::encode(window.periodEnd)},
                                    {"fired", std::move(fired)}});
        }
        Value entry{{"provider", rawValue(provider.provider)}};
        // Only a named account's entry says whose it is, so a file of default accounts reads as it always did.
        if (!provider.accountId.empty()) {
            entry["accountId"] = provider.accountId;
        }
        entry["signedOut"] = provider.signedOut;
        if (provider.account) {
            entry["account"] = encodeFired(*provider.account);
        }
        entry["windows"] = std::move(windows);
        providers.push_back(std::move(entry));
    }
    auto text = Json::serialize(Value{{"evaluatedAt", Json::encode(state.evaluatedAt)}, {"providers", providers}});
    if (!text) {
        return std::unexpected(text.error().text());
    }
    return std::move(*text);
}

std::optional<AlertState> decode(std::string_view text)
{
    const auto value = Json::parse(text);
    if (!value) {
        return std::nullopt;
    }
    const auto evaluatedAt = date(*value, "evaluatedAt");
    auto providers = list<ProviderAlertState>(*value, "providers", decodeProvider);
    if (!evaluatedAt || !providers) {
        return std::nullopt;
    }
    return AlertState{*evaluatedAt, std::move(*providers)};
}

std::optional<AlertState> load(const std::filesystem::path& file)
{
    const auto bytes = posix::readWhole(file, largestFile);
    return bytes ? decode(*bytes) : std::nullopt;
}

std::expected<void, std::string> save(const std::filesystem::path& file, const AlertState& state)
{
    const auto bytes = encode(state);
    if (!bytes) {
        return std::unexpected(bytes.error());
    }
    if (const auto made = posix::createFolders(file.parent_path(), folderMode); !made) {
        return std::unexpected("cannot make " + file.parent_path().string() + ": "
                               + std::generic_category().message(made.error()));
    }
    if (const auto written = posix::writeAtomically(file, *bytes, fileMode); !written) {
        return std::unexpected("cannot write " + file.string() + ": " + written.error().text());
    }
    return {};
}

}  // namespace ostrel::AlertStateFile
