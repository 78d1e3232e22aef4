// The thread of one attempt: getaddrinfo, then a non-blocking connect to
// every address, polled together until one answers or the deadline passes.
#include "receivers/lircd/tcp_connect.h"

#include <netdb.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <cctype>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace tavrel {
namespace {

using Clock = std::chrono::steady_clock;

// The resolver's words, lower case to follow "<address>: " as the system's do.
std::string ResolverText(int error) {
    std::string text = gai_strerror(error);
    if (!text.empty()) {
        text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    }
    return text;
}

struct Outcome {
    UniqueFd socket;
    int error = 0;
    std::string resolverError;
};

// A connect begun on each address; the first that completes is kept.
Outcome ConnectAny(const addrinfo* addresses, Clock::time_point deadline) {
    Outcome outcome;
    outcome.error = ECONNREFUSED;
    std::vector<UniqueFd> pending;
    for (const addrinfo* at = addresses; at != nullptr; at = at->ai_next) {
        UniqueFd fd(
            socket(at->ai_family, at->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, at->ai_protocol));
        if (!fd) {
            outcome.error = errno;
        } else if (connect(fd.get(), at->ai_addr, at->ai_addrlen) == 0) {
            outcome.socket = std::move(fd);
            return outcome;
        } else if (errno == EINPROGRESS) {
            pending.push_back(std::move(fd));
        } else {
            outcome.error = errno;
        }
    }
    while (!pending.empty()) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        std::vector<pollfd> states;
        for (const UniqueFd& fd : pending) {
            states.push_back({fd.get(), POLLOUT, 0});
        }
        const int ready = left > 0 ? poll(states.data(), states.size(), static_cast<int>(left)) : 0;
        if (ready == 0) {
            outcome.error = ETIMEDOUT;
            return outcome;
        }
        if (ready < 0 && errno != EINTR) {
            outcome.error = errno;
            return outcome;
        }
        for (std::size_t i = states.size(); i-- > 0;) {
            if (states[i].revents == 0) {
                continue;
            }
            int error = 0;
            socklen_t size = sizeof error;
            if (getsockopt(states[i].fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0) {
                error = errno;
            }
            if (error == 0) {
                outcome.socket = std::move(pending[i]);
                return outcome;
            }
            outcome.error = error;
            pending.erase(pending.begin() + static_cast<long>(i));
        }
    }
    return outcome;
}

}  // namespace

struct TcpConnect::State {
    ~State() {
        if (ready >= 0) {
            ::close(ready);
        }
    }

    const int ready = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    std::mutex mutex;
    bool ended = false;
    bool abandoned = false;
    Outcome outcome;
};

TcpConnect::TcpConnect(const std::string& host, std::uint16_t port, int deadlineMs)
    : state_(std::make_shared<State>()) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(deadlineMs);
    // The thread owns its share of the state; nobody waits for it to end.
    std::thread([state = state_, host, port = std::to_string(port), deadline] {
        Outcome outcome;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (const int error = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); error != 0) {
            outcome.error = error == EAI_SYSTEM ? errno : 0;
            outcome.resolverError = error == EAI_SYSTEM ? std::string() : ResolverText(error);
        } else {
            outcome = ConnectAny(found, deadline);
            freeaddrinfo(found);
        }
        const std::lock_guard lock(state->mutex);
        if (state->abandoned) {
            return;  // the socket closes with the outcome
        }
        state->outcome = std::move(outcome);
        state->ended = true;
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(state->ready, &one, sizeof one);
    }).detach();
}

TcpConnect::~TcpConnect() {
    const std::lock_guard lock(state_->mutex);
    state_->abandoned = true;
    state_->outcome.socket.close();
}

int TcpConnect::readyFd() const {
    return state_->ready;
}

bool TcpConnect::ended() const {
    const std::lock_guard lock(state_->mutex);
    return state_->ended;
}

UniqueFd TcpConnect::take() {
    const std::lock_guard lock(state_->mutex);
    return std::move(state_->outcome.socket);
}

int TcpConnect::error() const {
    const std::lock_guard lock(state_->mutex);
    return state_->outcome.error;
}

const std::string& TcpConnect::resolverError() const {
    const std::lock_guard lock(state_->mutex);
    return state_->outcome.resolverError;
}

}  // namespace tavrel
