#pragma once
// The named accounts of one tool as the settings file keeps them: a list of
// entries in the order they were added, each an id, a name and a folder as
// typed. The default account is never among them: its folder is whatever
// `ToolFolder` chooses. The id is kept so that removing one account never
// hands its readings to another; an entry written by hand may leave it out.

#include <expected>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/Provider.h"
#include "model/ToolAccount.h"

namespace ostrel::AccountList {

/// One account as the file keeps it.
struct Entry
{
    std::string id;
    std::string name;
    std::string folder;

    bool operator==(const Entry&) const = default;
};

/// The accounts of `entries`, in their order, each folder resolved as
/// `ToolFolder::resolve` does. An entry that makes no account is passed over:
/// one without a name, with a folder that is relative or another entry's, or
/// past the tool's limit. An id that is missing, malformed or another entry's
/// is made anew from the name.
[[nodiscard]] std::vector<ToolAccount>
decode(Provider provider, std::span<const Entry> entries, const std::string& home);

/// The entry `decode` reads back as `account`.
[[nodiscard]] Entry entry(const ToolAccount& account);

/// The account that `name` and `folder` add to the tool's `named` accounts,
/// or why it cannot be added, in one sentence for the user: a blank name, a
/// name or folder another account of the tool has (`defaultFolder` is the
/// default account's), a folder that is not absolute, or no room left.
[[nodiscard]] std::expected<ToolAccount, std::string> add(Provider provider,
                                                          std::span<const ToolAccount> named,
                                                          std::string_view name,
                                                          std::string_view folder,
                                                          const std::filesystem::path& defaultFolder,
                                                          const std::string& home);

}  // namespace ostrel::AccountList
