#pragma once
// What kind of account a reading belongs to: an individual subscription with
// its own allowance, an organisation-managed one, or per-token API billing.

#include <optional>
#include <string_view>

namespace ostrel {

enum class AccountKind
{
    subscription,
    enterprise,
    apiBilling
};

[[nodiscard]] constexpr std::string_view rawValue(AccountKind kind)
{
    switch (kind) {
    case AccountKind::subscription:
        return "subscription";
    case AccountKind::enterprise:
        return "enterprise";
    case AccountKind::apiBilling:
        return "apiBilling";
    }
    return "subscription";
}

[[nodiscard]] constexpr std::optional<AccountKind> accountKindFromRawValue(std::string_view raw)
{
    for (AccountKind kind : {AccountKind::subscription, AccountKind::enterprise, AccountKind::apiBilling}) {
        if (rawValue(kind) == raw) {
            return kind;
        }
    }
    return std::nullopt;
}

}  // namespace ostrel
