#include "platform/StatusNotifierItem.h"

#include <array>
#include <string_view>

#include <QAction>
#include <QDBusConnectionInterface>
#include <gtest/gtest.h>

#include "TrayBus.h"
#include "panel/PanelWindow.h"
#include "support/EventLoop.h"
#include "support/ScriptedReaders.h"
#include "support/TempSettings.h"
#include "tray/StatusItemController.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;
using testing::Script;

const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString itemPath = QString::fromLatin1(StatusNotifierItem::itemPath);

QStringList itemNamesOnBus()
{
    const QString ours = QStringLiteral("org.kde.StatusNotifierItem-%1-").arg(QCoreApplication::applicationPid());
    QStringList names = QDBusConnection::sessionBus().interface()->registeredServiceNames().value();
    names = names.filter(ours);
    names.sort();
    return names;
}

class StatusNotifierItemTest : public ::testing::Test
{
protected:
    void settle()
    {
        ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty() && !store.scanningActivity(); }));
        testing::spinFor(50ms);
    }

    StatusNotifierItem& item(std::size_t index)
    {
        auto* found = dynamic_cast<StatusNotifierItem*>(controller.items().at(index).get());
        EXPECT_NE(found, nullptr) << "with a watcher on the bus the items are StatusNotifierItems";
        return *found;
    }

    QVariant property(std::size_t index, const char* name)
    {
        return testing::propertyOverBus(item(index).serviceName(), itemPath, itemInterface, QString::fromLatin1(name));
    }

    QDBusMessage callItem(std::size_t index, const QString& method, const QVariantList& arguments)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(item(index).serviceName(), itemPath, itemInterface, method);
        call.setArguments(arguments);
        return testing::callOverBus(call);
    }

    // The watcher comes first, as the panel of a desktop does.
    std::optional<testing::WatcherOnBus> panel{std::in_place, QStringLiteral("panel")};
    testing::TempSettings temp;
    AppSettings& settings = temp.settings;
    std::shared_ptr<Script> script = std::make_shared<Script>();
    UsageStore store{settings, testing::optionsFor(script)};
    StatusItemController controller{store, settings, [this] {
                                        return dateFromSince1970(script->now);
                                    }};
};

TEST_F(StatusNotifierItemTest, EachItemRegistersAndServesItsOwnIdTitleTooltipAndIcon)
{
    struct Case
    {
        std::string_view name;
        bool claude;
        bool openai;
        TrayStyle style;
        std::vector<std::string_view> titles;
    };

    const auto cases = std::to_array<Case>({
        {"both, one item each", true, true, TrayStyle::cells, {"Ostrel — Claude", "Ostrel — OpenAI"}},
        {"none: the gauge", false, false, TrayStyle::cells, {"Ostrel"}},
        {"both again", true, true, TrayStyle::cellsAndPercent, {"Ostrel — Claude", "Ostrel — OpenAI"}},
    });
    controller.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        settings.setClaudeEnabled(c.claude);
        settings.setOpenaiEnabled(c.openai);
        settings.setTrayStyle(c.style);
        ASSERT_EQ(controller.items().size(), c.titles.size());
        // Exactly the shown items hold names on the bus, and each registered.
        QStringList names;
        for (std::size_t index = 0; index < c.titles.size(); ++index) {
            names.push_back(item(index).serviceName());
        }
        names.sort();
        const auto allRegistered = [&] {
            const std::vector<QString> registered = panel->registered();
            return std::ranges::all_of(names, [&](const QString& name) {
                return std::ranges::find(registered, name) != registered.end();
            });
        };
        EXPECT_TRUE(testing::spinUntil(allRegistered, 5s));
        ASSERT_TRUE(testing::spinUntil([&] { return itemNamesOnBus() == names; }, 5s))
            << itemNamesOnBus().join(u' ').toStdString();

        for (std::size_t index = 0; index < c.titles.size(); ++index) {
            SCOPED_TRACE(c.titles[index]);
            EXPECT_EQ(property(index, "Id").toString().toStdString(), c.titles[index]);
            EXPECT_EQ(property(index, "Title").toString().toStdString(), c.titles[index]);
            const auto tip = qdbus_cast<ItemToolTip>(property(index, "ToolTip"));
            EXPECT_EQ(tip.title.toStdString(), c.titles[index]);
            EXPECT_EQ(tip.text, controller.toolTip(index));
            const auto pixmaps = qdbus_cast<QList<IconPixmap>>(property(index, "IconPixmap"));
            ASSERT_EQ(pixmaps.size(), static_cast<qsizetype>(StatusNotifierItem::iconSides.size()));
            for (std::size_t side = 0; side < StatusNotifierItem::iconSides.size(); ++side) {
                const int pixels = StatusNotifierItem::iconSides[side];
                const QImage expected = controller.items()[index]->icon().pixmap(QSize(pixels, pixels), 1.0).toImage();
                EXPECT_EQ(pixmaps[static_cast<qsizetype>(side)], IconPixmap::fromImage(expected)) << pixels;
            }
        }
    }
}

TEST_F(StatusNotifierItemTest, AChangedReadingAnnouncesTheNewIconAndTooltipOnce)
{
    struct Case
    {
        std::string_view name;
        std::optional<double> claudePercent;
        std::array<int, 4> heard;  ///< NewIcon of each item, then NewToolTip of each
    };

    constexpr auto cases = std::to_array<Case>({
        {"nothing new changes nothing", std::nullopt, {0, 0, 0, 0}},
        {"Claude's new reading changes its mark and both tooltips", 70.0, {1, 0, 1, 1}},
        {"the same reading again changes nothing", 70.0, {0, 0, 0, 0}},
    });
    script->add(Provider::claude, testing::readingOf(Provider::claude, 40));
    script->add(Provider::openai, testing::readingOf(Provider::openai, 40));
    controller.refreshNow();
    settle();
    controller.show();
    ASSERT_TRUE(testing::spinUntil([&] { return panel->registered().size() == 2; }, 3s));
    // What a host hears on the bus: each signal of each item triggers an action of its own.
    std::array<int, 4> heard{};
    std::array<QAction, 4> listeners;
    for (std::size_t at = 0; at < listeners.size(); ++at) {
        ASSERT_TRUE(QDBusConnection::sessionBus().connect(item(at % 2).serviceName(),
                                                          itemPath,
                                                          itemInterface,
                                                          QString::fromLatin1(at < 2 ? "NewIcon" : "NewToolTip"),
                                                          &listeners[at],
                                                          SLOT(trigger())));
        QObject::connect(&listeners[at], &QAction::triggered, [&heard, at] { ++heard[at]; });
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        heard.fill(0);
        if (c.claudePercent) {
            script->add(Provider::claude, testing::readingOf(Provider::claude, *c.claudePercent));
            script->add(Provider::openai, testing::readingOf(Provider::openai, 40));
            controller.refreshNow();
            settle();
        } else {
            controller.reevaluate();
        }
        testing::spinFor(100ms);
        EXPECT_EQ(heard, c.heard);
    }
}

TEST_F(StatusNotifierItemTest, TheHostsClicksOpenThePanelAndTheMenu)
{
    struct Case
    {
        std::string_view name;
        QString method;
        bool panelOpen;
        bool menuOpen;
    };

    const auto cases = std::to_array<Case>({
        {"Activate opens the panel", QStringLiteral("Activate"), true, false},
        {"Activate again closes it", QStringLiteral("Activate"), false, false},
        {"ContextMenu pops the menu up", QStringLiteral("ContextMenu"), false, true},
    });
    controller.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QDBusMessage reply = callItem(1, c.method, {120, 4});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        settle();
        EXPECT_EQ(controller.panel().isVisible(), c.panelOpen);
        EXPECT_EQ(controller.menu().isVisible(), c.menuOpen);
    }
    controller.menu().hide();
}

TEST_F(StatusNotifierItemTest, TheItemsMenuIsTheControllersMenuOnTheBus)
{
    controller.show();
    QDBusMessage getLayout = QDBusMessage::createMethodCall(item(1).serviceName(),
                                                            qdbus_cast<QDBusObjectPath>(property(1, "Menu")).path(),
                                                            QString::fromLatin1(DBusMenuExporter::interfaceName),
                                                            QStringLiteral("GetLayout"));
    getLayout << 0 << 1 << QStringList{};
    const QDBusMessage reply = testing::callOverBus(getLayout);
    ASSERT_EQ(reply.arguments().size(), 2) << reply.errorMessage().toStdString();
    EXPECT_EQ(qdbus_cast<MenuLayout>(reply.arguments()[1]).children.size(), controller.menu().actions().size());
}

}  // namespace
}  // namespace ostrel
