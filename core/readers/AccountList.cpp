#include "readers/AccountList.h"

#include <algorithm>
#include <utility>

#include "readers/ToolFolder.h"

namespace ostrel::AccountList {
namespace {

[[nodiscard]] std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

[[nodiscard]] std::vector<std::string> idsOf(std::span<const ToolAccount> accounts)
{
    std::vector<std::string> ids;
    std::ranges::transform(accounts, std::back_inserter(ids), &ToolAccount::id);
    return ids;
}

}  // namespace

std::vector<ToolAccount> decode(Provider provider, std::span<const Entry> entries, const std::string& home)
{
    std::vector<ToolAccount> named;
    for (const Entry& entry : entries) {
        const std::string name = trimmed(entry.name);
        const auto folder = ToolFolder::resolve(entry.folder, home);
        if (named.size() + 1 >= maxAccountsPerTool || name.empty() || !folder
            || std::ranges::find(named, *folder, &ToolAccount::folder) != named.end()) {
            continue;
        }
        const auto ids = idsOf(named);
        const bool keepsId = isAccountId(entry.id) && std::ranges::find(ids, entry.id) == ids.end();
        named.push_back({provider, keepsId ? entry.id : accountId(name, ids), name, *folder});
    }
    return named;
}

Entry entry(const ToolAccount& account)
{
    return {account.id, account.name, account.folder.string()};
}

std::expected<ToolAccount, std::string> add(Provider provider,
                                            std::span<const ToolAccount> named,
                                            std::string_view name,
                                            std::string_view folder,
                                            const std::filesystem::path& defaultFolder,
                                            const std::string& home)
{
    const std::string tool(displayName(provider));
    const std::string title = trimmed(name);
    if (title.empty()) {
        return std::unexpected("Give the account a name.");
    }
    if (named.size() + 1 >= maxAccountsPerTool) {
        return std::unexpected(tool + " has " + std::to_string(maxAccountsPerTool)
                               + " accounts already, as many as Ostrel shows.");
    }
    if (std::ranges::find(named, title, &ToolAccount::name) != named.end()) {
        return std::unexpected("Another " + tool + " account is called " + title + " already.");
    }
    const auto path = ToolFolder::resolve(folder, home);
    if (!path) {
        return std::unexpected("Choose the account's folder: a full path, or one starting with ~/.");
    }
    if (*path == defaultFolder.lexically_normal()
        || std::ranges::find(named, *path, &ToolAccount::folder) != named.end()) {
        return std::unexpected("Another " + tool + " account uses " + path->string() + " already.");
    }
    return ToolAccount{provider, accountId(title, idsOf(named)), title, *path};
}

}  // namespace ostrel::AccountList
