#pragma once
// Settings of a throw-away configuration folder, with the login item inside it.

#include <filesystem>

#include <QTemporaryDir>

#include "settings/AppSettings.h"

namespace ostrel::testing {

struct TempSettings
{
    QTemporaryDir folder;
    AppSettings settings{
        std::filesystem::path(folder.path().toStdString()),
        LoginItem(std::filesystem::path(folder.path().toStdString()) / "autostart/ostrel.desktop", "/usr/bin/ostrel")};
};

}  // namespace ostrel::testing
