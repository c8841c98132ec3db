#include "drawing/CapsuleSwitcher.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "settings/SettingChoices.h"

namespace ostrel {
namespace {

TEST(CapsuleSwitcher, ChoosesByPressArrowKeysAndEnterAndHighlightsTheChoice)
{
    ActivityRange chosen = ActivityRange::day;
    std::unique_ptr<CapsuleSwitcher> switcher(
        makeSwitcher(allActivityRanges,
                     &rawValue,
                     10.5,
                     std::function<void(ActivityRange)>([&](ActivityRange range) { chosen = range; }),
                     nullptr));
    switcher->setAttribute(Qt::WA_DontShowOnScreen);
    switcher->show();
    ASSERT_EQ(switcher->count(), 2);
    EXPECT_EQ(switcher->option(0)->accessibleName(), QStringLiteral("24 hours"));
    EXPECT_EQ(switcher->option(1)->accessibleName(), QStringLiteral("7 days"));
    EXPECT_EQ(switcher->highlightRect(), QRectF(switcher->option(0)->geometry()));

    // Right moves on and stops at the end; Left moves back; Return picks the focused capsule.
    switcher->option(0)->setFocus();
    for (const auto& [key, expected] : {std::pair{Qt::Key_Right, ActivityRange::week},
                                        std::pair{Qt::Key_Right, ActivityRange::week},
                                        std::pair{Qt::Key_Left, ActivityRange::day}}) {
        QWidget* focused = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : switcher->option(0);
        QTest::keyClick(focused, key);
        EXPECT_EQ(chosen, expected);
        EXPECT_TRUE(switcher->option(indexOfCase(allActivityRanges, expected))->isChecked());
    }
    QTest::keyClick(switcher->option(1), Qt::Key_Return);
    EXPECT_EQ(chosen, ActivityRange::week);

    // The owner's state changing is shown without being announced back.
    QSignalSpy announced(switcher.get(), &CapsuleSwitcher::chosen);
    switcher->setSelectedIndex(0);
    EXPECT_EQ(announced.count(), 0);
    EXPECT_TRUE(switcher->option(0)->isChecked());
}

}  // namespace
}  // namespace ostrel
