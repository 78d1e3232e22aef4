// SingleInstance over a local socket.
#include "app/single_instance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>

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

QString FolderOf(const QString& socketPath) {
    return socketPath.left(std::max<qsizetype>(socketPath.lastIndexOf(QLatin1Char('/')), 0));
}

// Why path may not hold this user's socket: it must be a folder of the
// user's own that nobody else may enter (not a link to one); empty when it may.
QString NotPrivate(const QString& path) {
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0) {
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        return QStringLiteral("%1 is not a folder only this user may enter").arg(path);
    }
    return {};
}

// A socket file of this user's, in a private folder: another user's is not
// a running Tavrel of ours, whoever listens there.
bool OwnSocket(const QString& path) {
    struct stat st {};
    return NotPrivate(FolderOf(path)).isEmpty() &&
           ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == ::geteuid();
}

// The process that answered runs as this user.
bool PeerIsSelf(const QLocalSocket& socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                        &size) == 0 &&
           peer.uid == ::geteuid();
}

}  // namespace

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), name_(std::move(serverName)) {}

bool SingleInstance::HandOver() const {
    if (!OwnSocket(name_)) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kAnswerMs) || !PeerIsSelf(socket)) {
        return false;
    }
    socket.write(kShowRequest);
    const bool sent = socket.waitForBytesWritten(kAnswerMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::Listen(std::function<void()> onShow) {
    // Made when missing, and in any case checked: a folder another user made
    // first, or left open, is not used at all.
    const QString folder = FolderOf(name_);
    ::mkdir(QFile::encodeName(folder).constData(), 0700);
    if (const QString problem = NotPrivate(folder); !problem.isEmpty()) {
        error_ = problem;
        return false;
    }
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
    const QString folder = runtimeDirectory.isEmpty()
                               ? QDir::tempPath() + QStringLiteral("/tavrel-runtime-%1").arg(uid)
                               : runtimeDirectory;
    return folder + QStringLiteral("/tavrel-") + DisplayKey(display) + QStringLiteral(".socket");
}

}  // namespace tavrel
