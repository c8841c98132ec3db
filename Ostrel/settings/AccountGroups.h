#pragma once
// Where the settings file keeps a tool's named accounts: a group of their
// own, "claudeAccounts" or "codexAccounts", in QSettings' form of a list,
// which reads by hand without any quoting of ours:
//   [claudeAccounts]
//   1\folder=/home/ann/.claude-work
//   1\id=work
//   1\name=Work
//   size=1

#include <span>
#include <vector>

#include <QSettings>
#include <QString>

#include "model/Provider.h"
#include "model/ToolAccount.h"
#include "readers/AccountList.h"

namespace ostrel::AccountGroups {

[[nodiscard]] QString group(Provider provider);

/// The entries of the tool's group, as typed; AccountList makes accounts of them.
[[nodiscard]] std::vector<AccountList::Entry> read(QSettings& store, Provider provider);

/// Replaces the tool's group with `named`; an empty list leaves no group.
void write(QSettings& store, Provider provider, std::span<const ToolAccount> named);

}  // namespace ostrel::AccountGroups
