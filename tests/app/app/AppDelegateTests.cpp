#include "app/AppDelegate.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <string_view>

#include <QAction>
#include <QCheckBox>
#include <QMenu>
#include <gtest/gtest.h>

#include "base/ConfigHome.h"
#include "panel/PanelHeader.h"
#include "panel/PanelView.h"
#include "panel/PanelWindow.h"
#include "support/Accessible.h"

namespace ostrel {
namespace {

enum class Opening
{
    switchAtLaunch,
    trayMenu,
    panelMenu
};

void triggerSettings(QMenu& menu)
{
    for (QAction* action : menu.actions()) {
        if (action->text() == QStringLiteral("Settings…")) {
            action->trigger();
            return;
        }
    }
    ADD_FAILURE() << "no Settings… in the menu";
}

// Demonstration runs: no readers, no first-launch login item.
TEST(AppDelegate, OpensOneFixedSettingsWindowFromTheSwitchTheTrayMenuAndThePanelAndHidesItOnClose)
{
    struct Case
    {
        std::string_view name;
        Opening opening;
    };

    constexpr auto cases = std::to_array<Case>({
        {"--settings after launch", Opening::switchAtLaunch},
        {"Settings… in the tray menu", Opening::trayMenu},
        {"Settings… in the panel's menu", Opening::panelMenu},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> arguments{"ostrel", "--demo"};
        if (c.opening == Opening::switchAtLaunch) {
            arguments.emplace_back("--settings");
        }
        AppDelegate delegate(arguments);
        delegate.start();
        // The offscreen platform has no tray: make the items as a tray appearing would.
        delegate.showTrayItems();
        ASSERT_NE(delegate.statusItem(), nullptr);
        if (c.opening == Opening::switchAtLaunch) {
            ASSERT_NE(delegate.settingsWindow(), nullptr);
        } else {
            EXPECT_EQ(delegate.settingsWindow(), nullptr);
        }
        if (c.opening == Opening::trayMenu) {
            triggerSettings(delegate.statusItem()->menu());
        } else if (c.opening == Opening::panelMenu) {
            triggerSettings(delegate.statusItem()->panel().view().header().menu());
        }
        SettingsWindow* window = delegate.settingsWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Ostrel Settings"));
        EXPECT_EQ(window->minimumSize(), window->maximumSize()) << "the user cannot resize it";
        EXPECT_EQ(window->size(), window->sizeHint()) << "sized to the form";

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
    ASSERT_FALSE(toggle->isChecked());
    window->close();

    // The desktop's own settings add the entry while the window is closed.
    const std::filesystem::path entry = currentConfigHome() / "autostart" / LoginItem::entryName;
    std::filesystem::create_directories(entry.parent_path());
    std::ofstream(entry) << LoginItem::desktopEntry("/usr/bin/ostrel");
    delegate.showSettings();
    EXPECT_TRUE(delegate.settings().launchAtLogin());
    EXPECT_TRUE(toggle->isChecked());

    window->close();
    std::filesystem::remove(entry);
    delegate.showSettings();
    EXPECT_FALSE(delegate.settings().launchAtLogin());
    EXPECT_FALSE(toggle->isChecked());
}

}  // namespace
}  // namespace ostrel
