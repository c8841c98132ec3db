#include "report/SignInTerminal.h"

#include <filesystem>
#include <string>

#include <QStringList>

#include "base/QtText.h"
#include "readers/ToolFolder.h"

namespace ostrel::SignInTerminal {
namespace {

QStringList command(Provider provider, const std::optional<std::string>& toolPath)
{
    QStringList words = qText(loginCommand(provider)).split(QLatin1Char(' '));
    if (toolPath && !toolPath->empty()) {
        words.first() = QString::fromStdString(*toolPath);
    }
    return words;
}

}  // namespace

std::optional<qint64> open(Provider provider,
                           const UsageReaders::FoundTools& tools,
                           const std::filesystem::path& accountFolder,
                           TerminalLauncher::Environment environment)
{
    const QString variable = qText(ToolFolder::variable(provider));
    const auto found = tools.find(provider);
    if (!accountFolder.empty()) {
        environment.variables.insert(variable, QString::fromStdString(accountFolder.string()));
    } else if (found != tools.end()) {
        if (const std::optional<std::string> value = found->second.folder.variableValue()) {
            environment.variables.insert(variable, QString::fromStdString(*value));
        } else {
            environment.variables.remove(variable);
        }
    }
    if (found == tools.end()) {
        return TerminalLauncher::open(environment, command(provider, std::nullopt));
    }
    const std::optional<std::string>& path = found->second.path;
    if (path && !path->empty()) {
        const QString folder = QString::fromStdString(std::filesystem::path(*path).parent_path().string());
        const QString searched = environment.variables.value(QStringLiteral("PATH"));
        environment.variables.insert(QStringLiteral("PATH"),
                                     searched.isEmpty() ? folder : folder + QLatin1Char(':') + searched);
    }
    return TerminalLauncher::open(environment, command(provider, found->second.path));
}

}  // namespace ostrel::SignInTerminal
