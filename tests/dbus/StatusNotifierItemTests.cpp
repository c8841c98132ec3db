#include "platform/StatusNotifierItem.h"

#include <QAction>
#include <gtest/gtest.h>

#include "TrayBus.h"
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

class StatusNotifierItemTest : public ::testing::Test
{
protected:
    void settle()
    {
        ASSERT_TRUE(testing::spinUntil([&] { return store.refreshing().empty() && !store.scanningActivity(); }));
        testing::spinFor(50ms);
    }

    // The watcher comes first, as the panel of a desktop does.
    testing::WatcherOnBus panel{QStringLiteral("panel")};
    testing::TempSettings temp;
    std::shared_ptr<Script> script = std::make_shared<Script>();
    UsageStore store{temp.settings, testing::optionsFor(script)};
    StatusItemController controller{store, temp.settings, [this] {
                                        return dateFromSince1970(script->now);
                                    }};
};

TEST_F(StatusNotifierItemTest, AMiddleClickRefreshesAndTheChangedReadingAnnouncesTheNewIconOnTheBus)
{
    script->add(Provider::claude, testing::readingOf(Provider::claude, 40));
    script->add(Provider::openai, testing::readingOf(Provider::openai, 40));
    controller.refreshNow();
    settle();
    controller.show();
    ASSERT_TRUE(testing::spinUntil([&] { return panel.registered().size() == 2; }, 3s));
    auto* claude = dynamic_cast<StatusNotifierItem*>(controller.items().at(0).get());
    ASSERT_NE(claude, nullptr) << "with a watcher on the bus the items are StatusNotifierItems";
    // What a host hears on the bus: the signal triggers an action.
    int heard = 0;
    QAction listener;
    ASSERT_TRUE(QDBusConnection::sessionBus().connect(claude->serviceName(),
                                                      itemPath,
                                                      itemInterface,
                                                      QStringLiteral("NewIcon"),
                                                      &listener,
                                                      SLOT(trigger())));
    QObject::connect(&listener, &QAction::triggered, [&heard] { ++heard; });

    script->add(Provider::claude, testing::readingOf(Provider::claude, 70));
    script->add(Provider::openai, testing::readingOf(Provider::openai, 40));
    // The host's SecondaryActivate is the middle click, which is Refresh Now.
    QDBusMessage middleClick = QDBusMessage::createMethodCall(claude->serviceName(),
                                                              itemPath,
                                                              itemInterface,
                                                              QStringLiteral("SecondaryActivate"));
    middleClick << 0 << 0;
    EXPECT_EQ(testing::callOverBus(middleClick).type(), QDBusMessage::ReplyMessage);
    settle();
    testing::spinFor(100ms);
    EXPECT_EQ(heard, 1);
}

}  // namespace
}  // namespace ostrel
