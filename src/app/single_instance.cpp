// SingleInstance over a local socket.
#include "app/single_instance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>

namespace tavrel {
namespace {

constexpr int kAnswerMs = 2000;
constexpr char kShowRequest[] = "show\n";

// host:number without the screen, "unix:" being the local host.
QString DisplayKey(QString display) {
    if (display.startsWith(QLatin1String("unix:"))) {
        display.remove(0, 4);
    }
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    const qsizetype dot = display.indexOf(QLatin1Char('.'), colon);
    if (colon >= 0 && dot > colon) {
        display.truncate(dot);
    }
    // Only characters that are safe in a file name.
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9:._-]")), QStringLiteral("_"));
    return display;
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), name_(std::move(serverName)) {}

bool SingleInstance::HandOver() const {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerMs)) {
        return false;
    }
    socket.write(kShowRequest);
    const bool sent = socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::Listen(std::function<void()> onShow) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(name_)) {
        // Left behind by a Tavrel that was killed: nobody answered HandOver.
        QLocalServer::removeServer(name_);
        if (!server_->listen(name_)) {
            error_ = server_->errorString();
            return false;
        }
    }
    connect(server_, &QLocalServer::newConnection, this, [this, onShow = std::move(onShow)] {
        while (QLocalSocket* caller = server_->nextPendingConnection()) {
            connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
            connect(caller, &QLocalSocket::readyRead, this, [caller, onShow] {
                if (caller->readAll().contains('\n') && onShow) {
                    onShow();
                }
            });
        }
    });
    return true;
}

QString InstanceServerName(unsigned uid, const QString& display, const QString& runtimeDirectory) {
    const QString key = DisplayKey(display);
    if (!runtimeDirectory.isEmpty()) {
        return runtimeDirectory + QStringLiteral("/tavrel-") + key + QStringLiteral(".socket");
    }
    return QStringLiteral("tavrel-%1-%2").arg(uid).arg(key);
}

}  // namespace tavrel
