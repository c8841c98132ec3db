#pragma once
// One signed-in account of a tool. People who keep two accounts of one tool
// give each its own folder (CLAUDE_CONFIG_DIR, CODEX_HOME), and each account
// has its own weekly allowance. The default account is the one Ostrel has
// always read, through the folder `ToolFolder` chooses; its readings keep the
// place they always had. Named accounts are added in the settings, each with
// its folder, and are known by an id made from their name.

#include <compare>
#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "model/Provider.h"

namespace ostrel {

/// Accounts of one tool, the default one included: as many as the panel has room for.
inline constexpr std::size_t maxAccountsPerTool = 4;

/// Which account readings belong to. An empty id is the tool's default account.
struct AccountKey
{
    Provider provider = Provider::claude;
    std::string id;

    auto operator<=>(const AccountKey&) const = default;
    bool operator==(const AccountKey&) const = default;
};

struct ToolAccount
{
    Provider provider = Provider::claude;
    std::string id;  ///< empty for the default account
    std::string name;
    std::filesystem::path folder;  ///< empty for the default account: wherever `ToolFolder` finds it

    [[nodiscard]] bool isDefault() const
    {
        return id.empty();
    }

    [[nodiscard]] AccountKey key() const
    {
        return {provider, id};
    }

    /// "Claude" for the default account, "Claude · Work" for one named "Work".
    [[nodiscard]] std::string title() const;

    bool operator==(const ToolAccount&) const = default;
};

/// Whether `id` could name an account: lower-case ASCII letters, digits and
/// '-', not empty. Ids are kept in files, so one that is not is refused there.
[[nodiscard]] bool isAccountId(std::string_view id);

/// The id of a new account named `name`: its ASCII letters (lower-cased) and
/// digits, every other run of characters one '-', none at either end, and
/// "-2", "-3" … after it while one of `taken` has it. A name with characters
/// beyond ASCII, or without any letter or digit, gives "account-<n>", n the
/// account's place among the tool's (the default account is the first).
[[nodiscard]] std::string accountId(std::string_view name, std::span<const std::string> taken);

}  // namespace ostrel
