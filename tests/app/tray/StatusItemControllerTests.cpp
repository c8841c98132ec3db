#include "tray/StatusItemController.h"

#include <array>
#include <string_view>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <gtest/gtest.h>

#include "drawing/Theme.h"
#include "platform/SystemTrayItem.h"
#include "snapshots/PanelSnapshot.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"

namespace ostrel {
namespace {

using testing::Script;

class StatusItemControllerTest : public ::testing::Test
{
protected:
    void settle()
    {
        ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty() && !store.scanningActivity(); }));
    }

    [[nodiscard]] std::vector<Provider> markedProviders() const
    {
        std::vector<Provider> providers;
        for (const MarkState& mark : controller.content().marks) {
            providers.push_back(mark.provider);
        }
        return providers;
    }

    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    std::shared_ptr<Script> script = std::make_shared<Script>();
    UsageStore store{settings, testing::optionsFor(script)};
    StatusItemController controller{store, settings, [this] {
                                        return dateFromSince1970(script->now);
                                    }};
};

TEST_F(StatusItemControllerTest, ShowsOneTitledItemPerProviderOneStackedItemOrTheGaugeAlone)
{
    struct Case
    {
        std::string_view name;
        bool claude;
        bool openai;
        TrayStyle style;
        std::vector<Provider> marked;
        std::vector<std::string_view> titles;
        bool workAccount = false;  ///< Claude has a second account, "Work"
    };

    using enum Provider;
    using enum TrayStyle;
    const auto cases = std::to_array<Case>({
        {"both, one item each", true, true, cells, {claude, openai}, {"Ostrel — Claude", "Ostrel — OpenAI"}},
        {"both stacked in one item", true, true, stacked, {claude, openai}, {"Ostrel"}},
        {"OpenAI alone", false, true, cellsAndPercent, {openai}, {"Ostrel — OpenAI"}},
        {"OpenAI alone, stacked", false, true, stacked, {openai}, {"Ostrel — OpenAI"}},
        {"none: the gauge", false, false, cells, {}, {"Ostrel"}},
        {"a second Claude account: an item of its own, after the default one",
         true,
         true,
         cells,
         {claude, claude, openai},
         {"Ostrel — Claude", "Ostrel — Claude \u00B7 Work", "Ostrel — OpenAI"},
         true},
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setClaudeEnabled(c.claude);
        settings.setOpenaiEnabled(c.openai);
        settings.setTrayStyle(c.style);
        if (c.workAccount) {
            ASSERT_TRUE(
                settings.addAccount(Provider::claude, "Work", temp.folder.path().toStdString() + "/.claude-work"));
        }
        EXPECT_EQ(markedProviders(), c.marked);
        ASSERT_EQ(controller.items().size(), c.titles.size());
        for (std::size_t index = 0; index < c.titles.size(); ++index) {
            EXPECT_EQ(controller.title(index).toStdString(), c.titles[index]);
            EXPECT_FALSE(controller.items()[index]->icon().isNull());
        }
        if (c.marked.empty()) {
            EXPECT_EQ(controller.items().front()->toolTip(), QStringLiteral("Ostrel"));
        }
    }
}

TEST_F(StatusItemControllerTest,
       AfterAMiddleClickEachItemsTooltipIsTheReportStartingWithItsOwnProviderAndIsWhatCopyTextCopies)
{
    script->add(Provider::claude, testing::readingOf(Provider::claude, 40));
    script->add(Provider::openai, std::unexpected(FetchFailure::notLoggedIn()));
    // Offscreen the items are Qt's tray icons, as for an XEmbed tray; the middle click is Refresh Now.
    Q_EMIT dynamic_cast<SystemTrayItem&>(*controller.items().at(1)).trayIcon().activated(QSystemTrayIcon::MiddleClick);
    settle();
    ASSERT_EQ(script->readsOf(Provider::claude), 1);
    const Date now = dateFromSince1970(script->now);
    const std::string claudeLine = store.display(Provider::claude, now).summaryLine(now);
    const std::string openaiLine = store.display(Provider::openai, now).summaryLine(now);
    ASSERT_EQ(controller.items().size(), 2U);
    const QStringList first = controller.items()[0]->toolTip().split(QLatin1Char('\n'));
    const QStringList second = controller.items()[1]->toolTip().split(QLatin1Char('\n'));
    ASSERT_GE(first.size(), 2);
    ASSERT_EQ(second.size(), first.size());
    EXPECT_EQ(controller.toolTip().count(QLatin1Char('\n')) + 1,
              static_cast<int>(store.reportLines(testing::start).size()));
    EXPECT_EQ(first[0].toStdString(), claudeLine);
    EXPECT_EQ(first[1].toStdString(), openaiLine);
    EXPECT_EQ(second[0].toStdString(), openaiLine);
    EXPECT_EQ(second[1].toStdString(), claudeLine);

    controller.copyText();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), controller.toolTip());
}

TEST_F(StatusItemControllerTest, MenuOffersTheActionsInOrderWithTheirShortcuts)
{
    QStringList entries;
    for (const QAction* action : controller.menu().actions()) {
        entries.append(action->text() + QLatin1Char(' ') + action->shortcut().toString());
    }
    EXPECT_EQ(entries.join(QLatin1Char('|')),
              QStringLiteral("Refresh Now Ctrl+R|Copy Snapshot Ctrl+C|Copy Summary Text | |Settings… Ctrl+,| |Quit "
                             "Ostrel Ctrl+Q"));
}

TEST_F(StatusItemControllerTest, CopySnapshotPutsATwiceSizedPictureInTheDesktopsSchemeOnTheClipboard)
{
    // The application hands the tray its picture, as here; the desktop is dark.
    controller.copyPicture = [this](const QString& fallbackText) {
        PanelSnapshot::copySnapshot(store, settings, fallbackText);
    };
    const QPalette before = QApplication::palette();
    QApplication::setPalette(Theme::palette(ColorScheme::dark));
    QGuiApplication::clipboard()->setText(QStringLiteral("left over"));
    controller.menu().actions()[1]->trigger();
    QApplication::setPalette(before);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat(QStringLiteral("image/png")));
    const QImage picture = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
    EXPECT_EQ(picture.width(), 2 * 384);
    EXPECT_EQ(picture.pixelColor(picture.width() / 2, 10), QColor(28, 29, 34)) << "the dark frame";
}

}  // namespace
}  // namespace ostrel
