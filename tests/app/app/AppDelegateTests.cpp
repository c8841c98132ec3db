#include "app/AppDelegate.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMenu>
#include <gtest/gtest.h>

#include "base/ConfigHome.h"
#include "panel/PanelHeader.h"
#include "panel/PanelView.h"
#include "panel/PanelWindow.h"
#include "support/Accessible.h"

namespace ostrel {
namespace {

// Demonstration runs: no readers, no first-launch login item.
TEST(AppDelegate, OpensOneFixedSettingsWindowFromTheSwitchTheTrayMenuAndThePanelAndHidesItOnClose)
{
    enum class Opening
    {
        switchAtLaunch,
        trayMenu,
        panelMenu
    };

    constexpr auto cases = std::to_array<std::pair<std::string_view, Opening>>({
        {"--settings at launch", Opening::switchAtLaunch},
        {"Settings… in the tray menu", Opening::trayMenu},
        {"Settings… in the panel's menu", Opening::panelMenu},
    });
    for (const auto& [name, opening] : cases) {
        SCOPED_TRACE(name);
        std::vector<std::string> arguments{"ostrel", "--demo"};
        if (opening == Opening::switchAtLaunch) {
            arguments.emplace_back("--settings");
        }
        AppDelegate delegate(arguments);
        delegate.start();
        // The offscreen platform has no tray: make the items as a tray appearing would.
        delegate.showTrayItems();
        ASSERT_NE(delegate.statusItem(), nullptr);
        EXPECT_EQ(delegate.settingsWindow() != nullptr, opening == Opening::switchAtLaunch);
        QMenu* menu = opening == Opening::trayMenu ? &delegate.statusItem()->menu()
                                                   : &delegate.statusItem()->panel().view().header().menu();
        for (QAction* action : opening == Opening::switchAtLaunch ? QList<QAction*>{} : menu->actions()) {
            if (action->text() == QStringLiteral("Settings…")) {
                action->trigger();
            }
        }
        SettingsWindow* window = delegate.settingsWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Ostrel Settings"));
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";
        // Sized to the form; on a screen too short for it, as tall as the screen allows, the form scrolling.
        for (const int cut : {0, 200, 0}) {
            window->setHeightLimit(cut == 0 ? QWIDGETSIZE_MAX : window->view().height() - cut);
            QCoreApplication::processEvents();
            EXPECT_EQ(window->height(), window->view().height() - cut);
        }

        // Closing hides the one window; the next opening shows it again.
        EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
        EXPECT_TRUE(window->close());
        EXPECT_FALSE(window->isVisible());
        delegate.showSettings();
        EXPECT_EQ(delegate.settingsWindow(), window);
        EXPECT_TRUE(window->isVisible());
    }
}

TEST(AppDelegate, EachOpeningOfSettingsTakesOverTheLoginItemChangedOutside)
{
    AppDelegate delegate({"ostrel", "--demo"});
    delegate.start();
    delegate.showSettings();
    SettingsWindow* window = delegate.settingsWindow();
    ASSERT_NE(window, nullptr);
    auto* toggle = testing::named<QCheckBox>(*window, QStringLiteral("Launch at login"));
    ASSERT_NE(toggle, nullptr);
    const std::filesystem::path entry = currentConfigHome() / "autostart" / LoginItem::entryName;
    std::filesystem::create_directories(entry.parent_path());
    // The desktop's own settings add the entry while the window is closed, then remove it.
    for (const bool added : {true, false}) {
        SCOPED_TRACE(added ? "added" : "removed");
        window->close();
        if (added) {
            std::ofstream(entry) << LoginItem::desktopEntry("/usr/bin/ostrel");
        } else {
            std::filesystem::remove(entry);
        }
        delegate.showSettings();
        EXPECT_EQ(delegate.settings().launchAtLogin(), added);
        EXPECT_EQ(toggle->isChecked(), added);
    }
}

}  // namespace
}  // namespace ostrel
