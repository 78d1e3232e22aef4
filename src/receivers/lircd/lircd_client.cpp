// The daemon's client: connecting over a local or a TCP socket, reading its
// lines when they arrive, and noticing that it went away.
#include "receivers/lircd/lircd_client.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/trace.h"
#include "receivers/system_failure.h"

namespace tavrel {
namespace {

std::int64_t NowMilliseconds() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A socket that is not there, or nobody listening: the daemon does not run.
OpenFailure FailureOf(const std::string& address, int error) {
    if (error == ENOENT || error == ECONNREFUSED) {
        return FailureOfKind(OpenFailure::DaemonNotRunning, address);
    }
    return SystemOpenFailure(address, error);
}

// Probes of a silent connection, so a daemon's machine that vanished ends it.
void KeepAlive(int fd) {
    const int on = 1;
    const int idle = LircdClient::kKeepAliveIdle;
    const int interval = LircdClient::kKeepAliveInterval;
    const int probes = LircdClient::kKeepAliveProbes;
    // Also for data the daemon never acknowledges.
    const unsigned unacknowledged = (idle + interval * probes) * 1000U;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
    setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &unacknowledged, sizeof unacknowledged);
}

// Set for as long as it lives.
class QuietFlag {
public:
    explicit QuietFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~QuietFlag() { flag_ = false; }
    QuietFlag(const QuietFlag&) = delete;
    QuietFlag& operator=(const QuietFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

LircdClient::LircdClient(ReceiverChoice address, TimerFactory& timers, ReadWatchFactory& watches)
    : address_(std::move(address)),
      watches_(watches),
      nextSlice_(timers.createTimer()),
      deadline_(timers.createTimer()) {
    nextSlice_->setInterval(0);
    nextSlice_->setTickHandler([this] {
        // A slice still running (its handler runs the loop) goes on by itself.
        if (!reading_) {
            nextSlice_->setEnabled(false);
            ReadAvailable();
        }
    });
    deadline_->setInterval(kConnectDeadline);
    deadline_->setTickHandler([this] { ConnectTimedOut(); });
}

LircdClient::~LircdClient() {
    ClosePort();
}

std::string LircdClient::Address() const {
    return address_.path.empty() ? address_.typed : address_.path;
}

bool LircdClient::OpenPort() {
    if (IsOpen()) {
        return true;
    }
    if (Opening()) {
        return false;
    }
    if (address_.path.empty() && address_.port == 0) {
        lastFailure_ = {OpenFailure::BadAddress, Address(), {}, {}};
    } else if (address_.path.empty()) {
        StartConnect();
        return false;
    } else if (UniqueFd fd = ConnectLocal()) {
        Opened(std::move(fd));
        return true;
    }
    TraceEvent([&] { return "lircd open failed: " + LastError(); });
    return false;
}

// Never waits: a daemon whose queue is full (stopped, or not accepting)
// fails at once.
UniqueFd LircdClient::ConnectLocal() {
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    if (address_.path.size() >= sizeof where.sun_path) {
        lastFailure_ = FailureOf(address_.path, ENAMETOOLONG);
        return {};
    }
    std::memcpy(where.sun_path, address_.path.c_str(), address_.path.size() + 1);
    UniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!fd || connect(fd.get(), reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0) {
        lastFailure_ = FailureOf(address_.path, errno);
        return {};
    }
    return fd;
}

void LircdClient::StartConnect() {
    lastFailure_ = {};
    connect_ = std::make_unique<TcpConnect>(address_.host, address_.port, kConnectDeadline);
    connectWatch_ = watches_.watchReadable(connect_->readyFd(), [this] { ConnectEnded(); });
    deadline_->setEnabled(true);
    TraceEvent([&] { return "lircd connecting to " + Address(); });
}

void LircdClient::ConnectEnded() {
    if (!connect_ || !connect_->ended()) {
        return;
    }
    UniqueFd fd = connect_->take();
    const int error = connect_->error();
    const std::string resolverError = connect_->resolverError();
    EndAttempt();
    if (fd) {
        KeepAlive(fd.get());
        Opened(std::move(fd));
    } else {
        lastFailure_ = resolverError.empty()
                           ? FailureOf(Address(), error)
                           : OpenFailure{OpenFailure::Other, Address(), {}, resolverError};
        TraceEvent([&] { return "lircd open failed: " + LastError(); });
    }
    if (onOpenEnded_) {
        onOpenEnded_(*this);
    }
}

void LircdClient::ConnectTimedOut() {
    EndAttempt();
    lastFailure_ = SystemOpenFailure(Address(), ETIMEDOUT);
    TraceEvent([&] { return "lircd open failed: " + LastError(); });
    if (onOpenEnded_) {
        onOpenEnded_(*this);
    }
}

// The attempt's thread may go on (a name lookup is never cut short); what it
// finds is dropped.
void LircdClient::EndAttempt() {
    deadline_->setEnabled(false);
    connectWatch_.reset();
    connect_.reset();
}

void LircdClient::Opened(UniqueFd fd) {
    fd_ = std::move(fd);
    lastFailure_ = {};
    events_.reset();
    unread_.clear();
    back_.reset();
    TraceEvent([&] { return "lircd open " + Address(); });
    watch_ = watches_.watchReadable(fd_.get(), [this] { ReadAvailable(); });
}

void LircdClient::ClosePort() {
    back_.reset();
    if (Opening()) {
        EndAttempt();
        TraceEvent([&] { return "lircd connecting to " + Address() + " given up"; });
    }
    if (!IsOpen()) {
        return;
    }
    watch_.reset();
    nextSlice_->setEnabled(false);
    unread_.clear();
    fd_.close();
    TraceEvent([&] { return "lircd closed " + Address(); });
}

// One read at most per wake-up, and a slice of its lines.
void LircdClient::ReadAvailable() {
    // A handler that runs the message loop comes back here; the lines that
    // wait are handled once it has returned, in order.
    if (reading_ || !IsOpen()) {
        return;
    }
    const QuietFlag busy(reading_);
    if (unread_.empty()) {
        std::array<char, 4096> buffer{};
        const ssize_t got = read(fd_.get(), buffer.data(), buffer.size());
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        if (got <= 0) {
            // End of file or a failing read (a reset, the keepalive's
            // timeout): the daemon stopped, restarts, or its machine is gone.
            if (got < 0) {
                const int error = errno;
                TraceEvent([&] { return "lircd read failed: " + std::string(strerror(error)); });
            }
            Hangup();
            return;
        }
        unread_.assign(buffer.data(), static_cast<std::size_t>(got));
    }
    HandleSlice();
}

void LircdClient::HandleSlice() {
    // A handler may close the client; the lines handled stay handled.
    const std::size_t taken = events_.feed(
        unread_, NowMilliseconds(),
        [this](const LircdBatch& batch) {
            if (IsOpen() && onReceiveData_) {
                onReceiveData_(*this, batch.data(), static_cast<std::int32_t>(batch.size()));
            }
        },
        kLinesPerWakeUp);
    if (!IsOpen()) {
        return;
    }
    unread_.erase(0, taken);
    // The socket may have nothing more to say: the rest must not wait for it.
    nextSlice_->setEnabled(!unread_.empty());
}

void LircdClient::Hangup() {
    ClosePort();
    // A local daemon that restarts is joined as soon as its socket is back.
    if (!address_.path.empty()) {
        back_ = std::make_unique<SocketAppearance>(address_.path, watches_, [this] {
            if (onBack_) {
                onBack_(*this);
            }
        });
    }
    if (onHangup_) {
        onHangup_(*this);
    }
}

}  // namespace tavrel
