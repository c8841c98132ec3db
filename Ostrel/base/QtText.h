#pragma once
// UTF-8 texts of the core turned into Qt's strings, at the one boundary where
// they meet the desktop.

#include <string>
#include <string_view>
#include <vector>

#include <QString>
#include <QStringList>

namespace ostrel {

/// A UTF-8 text of the core as a Qt string.
[[nodiscard]] inline QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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
