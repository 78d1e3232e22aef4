// The on-screen confirmation through a desktop notification service, on a
// private session bus of the test's own with a stand-in service: what is
// sent, the replacement of the previous notice, and our own window once the
// service fails.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QLabel>
#include <QTest>

#include "app/command_notice.h"
#include "private_session_bus.h"

namespace tavrel {
namespace {

class NotificationsStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        uint replaces;
        QString summary;
        QString body;
        int timeout;
    };
    std::vector<Call> calls;

public slots:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap&, int timeout) {
        calls.push_back({replaces, summary, body, timeout});
        return 40 + static_cast<uint>(calls.size());
    }
};

TEST(NotificationServiceTest, NoticesGoToTheServiceAndToOurOwnWindowWhenItFails) {
    if (!PrivateSessionBus::installed()) {
        GTEST_SKIP() << "dbus-daemon is missing (scripts/install-deps test installs it)";
    }
    PrivateSessionBus bus;
    const QByteArray address = bus.address();
    ASSERT_FALSE(address.isEmpty());
    // Before the program's first use of the session bus, which then finds this one.
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);
    {
        QDBusConnection service =
            QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("service"));
        NotificationsStandIn standIn;
        ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"),
                                           &standIn, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));

        CommandNotice notice;
        notice.Show(QStringLiteral("TV"), QStringLiteral("Mute"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return notice.notificationId() == 41; }, 5000));
        notice.Show(QStringLiteral("TV"), QStringLiteral("Volume up"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return standIn.calls.size() == 2; }, 5000));
        EXPECT_EQ(standIn.calls[0].replaces, 0u);
        EXPECT_EQ(standIn.calls[0].summary, "TV");
        EXPECT_EQ(standIn.calls[0].body, "Mute");
        EXPECT_EQ(standIn.calls[0].timeout, CommandNotice::kShowMs);
        EXPECT_EQ(standIn.calls[1].replaces, 41u);  // the first notice makes way
        EXPECT_EQ(notice.popup(), nullptr);

        service.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
        notice.Show(QStringLiteral("TV"), QStringLiteral("Power"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return notice.popup() != nullptr; }, 5000));
        EXPECT_TRUE(notice.popup()->text().contains(QStringLiteral("Power")));
        EXPECT_EQ(standIn.calls.size(), 2u);
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("service"));
}

}  // namespace
}  // namespace tavrel

#include "notification_service_test.moc"
