#pragma once
// Signs a tool in from outside the panel: the user's terminal running the
// tool's own login command, which asks for what it needs in that window.

#include <filesystem>
#include <optional>

#include "model/Provider.h"
#include "platform/TerminalLauncher.h"
#include "store/UsageReaders.h"

namespace ostrel::SignInTerminal {

/// Opens the terminal running the provider's login command ("claude auth
/// login", "codex login"), led by the tool in `tools`, else by its bare name.
/// The tool runs with its folder variable as the readings run it, so the
/// sign-in lands in the folder Ostrel reads, and with its own folder first on
/// PATH (a tool installed with Node finds its node there). A named account's
/// `accountFolder` takes the place of the default account's folder, so its
/// sign-in lands where that account is read. Absent when no terminal could
/// be started.
std::optional<qint64> open(Provider provider,
                           const UsageReaders::FoundTools& tools,
                           const std::filesystem::path& accountFolder = {},
                           TerminalLauncher::Environment environment = TerminalLauncher::Environment::current());

}  // namespace ostrel::SignInTerminal
