// The daemon's client: connecting over a local or a TCP socket, reading its
// lines when they arrive, and noticing that it went away.
#include "receivers/lircd/lircd_client.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cctype>
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

// The resolver's words, lower case to follow "<address>: " as the system's do.
std::string ResolverText(int error) {
    std::string text = gai_strerror(error);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

// A socket that is not there, or nobody listening: the daemon does not run.
OpenFailure FailureOf(const std::string& address, int error) {
    if (error == ENOENT || error == ECONNREFUSED) {
        return FailureOfKind(OpenFailure::DaemonNotRunning, address);
    }
    return SystemOpenFailure(address, error);
}

// Waits at most timeout ms for a non-blocking connect; 0 or its errno.
int FinishConnect(int fd, int timeout) {
    pollfd state{fd, POLLOUT, 0};
    const int ready = poll(&state, 1, timeout);
    if (ready == 0) {
        return ETIMEDOUT;
    }
    if (ready < 0) {
        return errno;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
        return errno;
    }
    return error;
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

LircdClient::LircdClient(ReceiverChoice address, TimerFactory&, ReadWatchFactory& watches)
    : address_(std::move(address)), watches_(watches) {}

LircdClient::~LircdClient() {
    ClosePort();
}

std::string LircdClient::Address() const {
    if (!address_.path.empty()) {
        return address_.path;
    }
    const bool v6 = address_.host.find(':') != std::string::npos;
    return (v6 ? "[" + address_.host + "]" : address_.host) + ":" + std::to_string(address_.port);
}

bool LircdClient::OpenPort() {
    if (IsOpen()) {
        return true;
    }
    UniqueFd fd = Connect();
    if (!fd) {
        TraceEvent([&] { return "lircd open failed: " + LastError(); });
        return false;
    }
    fd_ = std::move(fd);
    lastFailure_ = {};
    events_.reset();
    TraceEvent([&] { return "lircd open " + Address(); });
    watch_ = watches_.watchReadable(fd_.get(), [this] { ReadAvailable(); });
    return true;
}

UniqueFd LircdClient::Connect() {
    if (address_.path.empty() && address_.port == 0) {
        lastFailure_ = {OpenFailure::BadAddress, Address(), {}, {}};
        return {};
    }
    return address_.path.empty() ? ConnectTcp() : ConnectLocal();
}

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

UniqueFd LircdClient::ConnectTcp() {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(address_.port);
    if (const int error = getaddrinfo(address_.host.c_str(), port.c_str(), &hints, &found);
        error != 0) {
        lastFailure_ = {OpenFailure::Other, Address(), {}, ResolverText(error)};
        return {};
    }
    int lastError = ECONNREFUSED;
    UniqueFd connected;
    for (addrinfo* at = found; at != nullptr && !connected; at = at->ai_next) {
        UniqueFd fd(
            socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, at->ai_protocol));
        if (!fd) {
            lastError = errno;
            continue;
        }
        if (connect(fd.get(), at->ai_addr, at->ai_addrlen) == 0) {
            connected = std::move(fd);
        } else if (errno != EINPROGRESS) {
            lastError = errno;
        } else if (const int error = FinishConnect(fd.get(), kConnectTimeout); error != 0) {
            lastError = error;
        } else {
            connected = std::move(fd);
        }
    }
    freeaddrinfo(found);
    if (!connected) {
        lastFailure_ = FailureOf(Address(), lastError);
    }
    return connected;
}

void LircdClient::ClosePort() {
    if (!IsOpen()) {
        return;
    }
    watch_.reset();
    fd_.close();
    TraceEvent([&] { return "lircd closed " + Address(); });
}

void LircdClient::ReadAvailable() {
    // A handler that runs the message loop comes back here; the loop below
    // reads what arrives meanwhile, in order.
    if (reading_) {
        return;
    }
    const QuietFlag busy(reading_);
    std::array<char, 4096> buffer{};
    // Everything that waits is read now, line by line, so that a burst of
    // lines is handed over in order before anything else runs.
    while (IsOpen()) {
        const ssize_t got = read(fd_.get(), buffer.data(), buffer.size());
        if (got > 0) {
            // A handler may close the client; the lines read stay handled.
            events_.feed(std::string_view(buffer.data(), static_cast<std::size_t>(got)),
                         NowMilliseconds(), [this](const LircdBatch& batch) {
                             if (IsOpen() && onReceiveData_) {
                                 onReceiveData_(*this, batch.data(),
                                                static_cast<std::int32_t>(batch.size()));
                             }
                         });
            continue;
        }
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            return;
        }
        // End of file or a failing read: the daemon stopped or restarts.
        Hangup();
        return;
    }
}

void LircdClient::Hangup() {
    ClosePort();
    if (onHangup_) {
        onHangup_(*this);
    }
}

}  // namespace tavrel
