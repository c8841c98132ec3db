#pragma once
// What kind of account a reading belongs to: an individual subscription with
// its own allowance, an organisation-managed one, or per-token API billing.

#include "model/EnumRows.h"

namespace ostrel {

enum class AccountKind
{
    subscription,
    enterprise,
    apiBilling
};

[[nodiscard]] constexpr auto enumRows(AccountKind /*tag*/)
{
    return std::to_array<EnumRow<AccountKind>>({
        {AccountKind::subscription, "subscription"},
        {AccountKind::enterprise, "enterprise"},
        {AccountKind::apiBilling, "apiBilling"},
    });
}

}  // namespace ostrel
