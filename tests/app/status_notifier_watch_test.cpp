// The watch for a StatusNotifierItem host, on a private session bus with a
// stand-in panel: the watcher service coming and going, and hosts
// registering with it and leaving, each heard once.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>

#include "app/status_notifier_watch.h"
#include "private_session_bus.h"

namespace tavrel {
namespace {

TEST(StatusNotifierWatchTest, HearsTheWatcherComeAndGoAndItsHostsChange) {
    if (!PrivateSessionBus::installed()) {
        GTEST_SKIP() << "dbus-daemon is missing (scripts/install-deps test installs it)";
    }
    PrivateSessionBus bus;
    ASSERT_FALSE(bus.address().isEmpty());
    const QString address = QString::fromUtf8(bus.address());
    const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
    {
        QDBusConnection ours = QDBusConnection::connectToBus(address, QStringLiteral("ours"));
        QDBusConnection panel = QDBusConnection::connectToBus(address, QStringLiteral("panel"));
        int heard = 0;
        StatusNotifierWatch watch(ours, [&heard] { ++heard; });

        ASSERT_TRUE(panel.registerService(watcher));
        ASSERT_TRUE(QTest::qWaitFor([&] { return heard == 1; }, 5000));
        for (const char* change :
             {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
            panel.send(QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"), watcher,
                                                  QString::fromLatin1(change)));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return heard == 3; }, 5000));
        panel.unregisterService(watcher);
        ASSERT_TRUE(QTest::qWaitFor([&] { return heard == 4; }, 5000));
        QTest::qWait(100);
        EXPECT_EQ(heard, 4);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("ours"));
    QDBusConnection::disconnectFromBus(QStringLiteral("panel"));
}

}  // namespace
}  // namespace tavrel
