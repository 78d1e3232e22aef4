// A session bus of a test's own: a dbus-daemon started for the test and
// ended with it, so nothing reaches the desktop's bus, if there is one.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>

namespace tavrel {

class PrivateSessionBus {
public:
    static bool installed() {
        return !QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty();
    }

    PrivateSessionBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForReadyRead(5000)) {
            address_ = daemon_.readLine().trimmed();
        }
    }
    ~PrivateSessionBus() {
        daemon_.kill();
        daemon_.waitForFinished();
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when the daemon did not come up.
    const QByteArray& address() const { return address_; }

private:
    QProcess daemon_;
    QByteArray address_;
};

}  // namespace tavrel
