#include "app/AppDelegate.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <gtest/gtest.h>

namespace ostrel {
namespace {

// A demonstration run: no readers, no first-launch login item.
TEST(AppDelegate, TheTrayMenuOpensOneSettingsWindowNoTallerThanTheScreenAndCloseHidesIt)
{
    AppDelegate delegate({"ostrel", "--demo"});
    delegate.start();
    // The offscreen platform has no tray: make the items as a tray appearing would.
    delegate.showTrayItems();
    ASSERT_NE(delegate.statusItem(), nullptr);
    for (QAction* action : delegate.statusItem()->menu().actions()) {
        if (action->text() == QStringLiteral("Settings…")) {
            action->trigger();
        }
    }
    SettingsWindow* window = delegate.settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    // On a screen too short for the form, as tall as the screen allows, the form scrolling.
    window->setHeightLimit(window->view().height() - 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->height(), window->view().height() - 200);

    // Closing hides the one window; the next opening shows it again.
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    delegate.showSettings();
    EXPECT_EQ(delegate.settingsWindow(), window);
    EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace ostrel
