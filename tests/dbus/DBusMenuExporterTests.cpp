#include "platform/DBusMenuExporter.h"

#include <QMenu>
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

TEST_F(DBusMenuExporterTest, AClickTriggersAnEnabledEntryOnce)
{
    QAction* action = menu.addAction(QStringLiteral("Act"));
    const int id = layout(0, 1).children.front().id;
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "a click triggers" : "a disabled entry is not triggered");
        action->setEnabled(enabled);
        QSignalSpy triggered(action, &QAction::triggered);
        const QDBusMessage reply =
            call(QStringLiteral("Event"), {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
        testing::spinFor(50ms);
        EXPECT_EQ(triggered.count(), enabled ? 1 : 0);
    }
    // An entry that is not there is refused, not looked up.
    const QDBusMessage refused =
        call(QStringLiteral("Event"), {4711, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0U});
    EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
    EXPECT_EQ(call(QStringLiteral("GetLayout"), {4711, -1, QStringList{}}).errorName(),
              QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"));
}

}  // namespace
}  // namespace ostrel
