#pragma once
// UTF-8 texts of the core turned into Qt's strings, at the one boundary where
// they meet the desktop.

#include <string>
#include <vector>

#include <QString>
#include <QStringList>

namespace ostrel {

[[nodiscard]] inline QStringList toQStringList(const std::vector<std::string>& texts)
{
    QStringList list;
    list.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) {
        list.append(QString::fromStdString(text));
    }
    return list;
}

}  // namespace ostrel
