#include "settings/AccountGroups.h"

#include <cstddef>
#include <string>

#include "base/QtText.h"
#include "settings/SettingKey.h"

namespace ostrel::AccountGroups {
namespace {

const QString idKey = QStringLiteral("id");
const QString nameKey = QStringLiteral("name");
const QString folderKey = QStringLiteral("folder");

[[nodiscard]] std::string textOf(const QSettings& store, const QString& key)
{
    return settings::text(store.value(key)).value_or(QString()).toStdString();
}

}  // namespace

QString group(Provider provider)
{
    return provider == Provider::openai ? QStringLiteral("codexAccounts") : QStringLiteral("claudeAccounts");
}

std::vector<AccountList::Entry> read(QSettings& store, Provider provider)
{
    std::vector<AccountList::Entry> entries;
    const int size = store.beginReadArray(group(provider));
    for (int index = 0; index < size; ++index) {
        store.setArrayIndex(index);
        entries.push_back({textOf(store, idKey), textOf(store, nameKey), textOf(store, folderKey)});
    }
    store.endArray();
    return entries;
}

void write(QSettings& store, Provider provider, std::span<const ToolAccount> named)
{
    store.remove(group(provider));
    if (named.empty()) {
        return;
    }
    store.beginWriteArray(group(provider), static_cast<int>(named.size()));
    for (std::size_t index = 0; index < named.size(); ++index) {
        const AccountList::Entry entry = AccountList::entry(named[index]);
        store.setArrayIndex(static_cast<int>(index));
        store.setValue(idKey, qText(entry.id));
        store.setValue(nameKey, qText(entry.name));
        store.setValue(folderKey, qText(entry.folder));
    }
    store.endArray();
}

}  // namespace ostrel::AccountGroups
