#include "model/AccountReadings.h"

#include <utility>

#include "model/JsonFields.h"

namespace ostrel::AccountReadingsJson {

Json::Value encode(const AccountReadingsMap& accounts)
{
    Json::Value entries = Json::Value::array();
    for (const auto& [account, readings] : accounts) {
        Json::Value entry = Json::Value::object();
        entry["provider"] = std::string(rawValue(account.provider));
        entry["account"] = account.id;
        entry["snapshot"] = Json::encode(readings.snapshot);
        entry["history"] = Json::encode(readings.history);
        entries.push_back(std::move(entry));
    }
    return entries;
}

// Everything else in the file is read strictly: a fault there sets the whole
// file aside. Entries here are read one by one instead, and one that does not
// read is passed over, since a later release may write accounts of a provider
// this one does not know, and since losing one account's readings costs less
// than setting aside every reading for the sake of one entry.
AccountReadingsMap decode(const Json::Value& value)
{
    AccountReadingsMap accounts;
    if (!value.is_array()) {
        return accounts;
    }
    for (const Json::Value& entry : value) {
        Json::Fields::ObjectReader reader(entry);
        AccountKey account;
        AccountReadings readings;
        reader.required("provider", account.provider);
        reader.required("account", account.id);
        reader.required("snapshot", readings.snapshot);
        reader.required("history", readings.history);
        if (reader.finish(0) && isAccountId(account.id)) {
            // Of two entries for one account, the first stands.
            accounts.try_emplace(std::move(account), std::move(readings));
        }
    }
    return accounts;
}

}  // namespace ostrel::AccountReadingsJson
