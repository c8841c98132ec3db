#include "platform/DBusMenuExporter.h"

#include <array>
#include <functional>
#include <string_view>

#include <QActionGroup>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "TrayBus.h"
#include "support/EventLoop.h"

namespace ostrel {
namespace {

using namespace std::chrono_literals;

const QString menuPath = QStringLiteral("/MenuBar");
const QString menuInterface = QString::fromLatin1(DBusMenuExporter::interfaceName);

// The menu on a connection of its own, as an application serves it.
class DBusMenuExporterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(owner.isConnected()) << "no session bus: run under dbus-run-session";
        ASSERT_TRUE(exporter.exportOn(owner, menuPath));
    }

    void TearDown() override
    {
        owner.unregisterObject(menuPath);
        QDBusConnection::disconnectFromBus(owner.name());
    }

    QDBusMessage call(const QString& method, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(owner.baseService(), menuPath, menuInterface, method);
        message.setArguments(arguments);
        return testing::callOverBus(message);
    }

    MenuLayout layout(int parent, int depth)
    {
        const QDBusMessage reply = call(QStringLiteral("GetLayout"), {parent, depth, QStringList{}});
        EXPECT_EQ(reply.arguments().size(), 2) << reply.errorMessage().toStdString();
        return reply.arguments().size() == 2 ? qdbus_cast<MenuLayout>(reply.arguments()[1]) : MenuLayout{};
    }

    QDBusConnection owner = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("menu-owner"));
    QMenu menu;
    DBusMenuExporter exporter{menu};
};

TEST_F(DBusMenuExporterTest, EachEntryReadsAsTheHostShowsIt)
{
    struct Case
    {
        std::string_view name;
        QAction* action;
        QVariantMap expected;
    };

    QAction* disabled = menu.addAction(QStringLiteral("Off"));
    disabled->setEnabled(false);
    QAction* check = menu.addAction(QStringLiteral("Check"));
    check->setCheckable(true);
    QAction* radio = menu.addAction(QStringLiteral("Radio"));
    radio->setCheckable(true);
    radio->setChecked(true);
    (new QActionGroup(&menu))->addAction(radio);
    const auto cases = std::to_array<Case>({
        {"a mnemonic is marked the protocol's way",
         menu.addAction(QStringLiteral("&Open snake_case R&&D")),
         {{QStringLiteral("type"), QStringLiteral("standard")},
          {QStringLiteral("label"), QStringLiteral("_Open snake__case R&D")},
          {QStringLiteral("enabled"), true},
          {QStringLiteral("visible"), true}}},
        {"a disabled entry", disabled, {{QStringLiteral("enabled"), false}}},
        {"a separator", menu.addSeparator(), {{QStringLiteral("type"), QStringLiteral("separator")}}},
        {"a check box, unchecked",
         check,
         {{QStringLiteral("toggle-type"), QStringLiteral("checkmark")}, {QStringLiteral("toggle-state"), 0}}},
        {"a radio button, chosen",
         radio,
         {{QStringLiteral("toggle-type"), QStringLiteral("radio")}, {QStringLiteral("toggle-state"), 1}}},
        {"a submenu",
         menu.addMenu(QStringLiteral("More"))->menuAction(),
         {{QStringLiteral("children-display"), QStringLiteral("submenu")}}},
    });
    const MenuLayout root = layout(0, 1);
    ASSERT_EQ(root.children.size(), static_cast<qsizetype>(cases.size()));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int id = root.children[menu.actions().indexOf(c.action)].id;
        const QDBusMessage reply =
            call(QStringLiteral("GetGroupProperties"), {QVariant::fromValue(QList<int>{id}), QStringList{}});
        ASSERT_EQ(reply.arguments().size(), 1) << reply.errorMessage().toStdString();
        const auto found = qdbus_cast<QList<MenuItemProperties>>(reply.arguments()[0]);
        ASSERT_EQ(found.size(), 1);
        for (const auto& [name, value] : c.expected.asKeyValueRange()) {
            EXPECT_EQ(found[0].properties.value(name), value) << name.toStdString();
        }
    }
}

TEST_F(DBusMenuExporterTest, AClickTriggersAnEnabledEntryOnce)
{
    struct Case
    {
        std::string_view name;
        QString event;
        bool enabled;
        int triggered;
    };

    const auto cases = std::to_array<Case>({
        {"a click triggers", QStringLiteral("clicked"), true, 1},
        {"a hover does not", QStringLiteral("hovered"), true, 0},
        {"a disabled entry is not triggered", QStringLiteral("clicked"), false, 0},
    });
    QAction* action = menu.addAction(QStringLiteral("Act"));
    const int id = layout(0, 1).children.front().id;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        action->setEnabled(c.enabled);
        QSignalSpy triggered(action, &QAction::triggered);
        const QDBusMessage reply =
            call(QStringLiteral("Event"), {id, c.event, QVariant::fromValue(QDBusVariant(0)), 0U});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        testing::spinFor(50ms);
        EXPECT_EQ(triggered.count(), c.triggered);
    }
    // An entry that is not there is refused, not looked up.
    const QDBusMessage refused =
        call(QStringLiteral("Event"), {4711, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(call(QStringLiteral("GetLayout"), {4711, -1, QStringList{}}).errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
}

TEST_F(DBusMenuExporterTest, ChangesReachTheHostOnceTheLoopTurns)
{
    struct Case
    {
        std::string_view name;
        std::function<void(QMenu&)> change;
        int layoutUpdates;
        int propertyUpdates;
    };

    const auto cases = std::to_array<Case>({
        {"entries added at once are one layout update",
         [](QMenu& m) {
             m.addAction(QStringLiteral("A"));
             m.addAction(QStringLiteral("B"));
         },
         1,
         0},
        {"a renamed entry is a property update",
         [](QMenu& m) { m.actions().front()->setText(QStringLiteral("A again")); },
         0,
         1},
        {"a removed entry is a layout update", [](QMenu& m) { m.removeAction(m.actions().back()); }, 1, 0},
    });
    (void)layout(0, -1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QSignalSpy layoutUpdated(&exporter, &DBusMenuExporter::LayoutUpdated);
        QSignalSpy propertiesUpdated(&exporter, &DBusMenuExporter::ItemsPropertiesUpdated);
        c.change(menu);
        EXPECT_EQ(layoutUpdated.count() + propertiesUpdated.count(), 0);
        testing::spinFor(50ms);
        EXPECT_EQ(layoutUpdated.count(), c.layoutUpdates);
        EXPECT_EQ(propertiesUpdated.count(), c.propertyUpdates);
        // A host reads the layout again after an update: that gives new entries their ids.
        (void)layout(0, -1);
    }
    EXPECT_EQ(layout(0, -1).children.front().properties.value(QStringLiteral("label")).toString(),
              QStringLiteral("A again"));
}

}  // namespace
}  // namespace ostrel
