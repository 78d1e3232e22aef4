// The misbehaving daemon's thread: accept, then flood or keep still.
#include "daemon_stand_in.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace tavrel::testing {
namespace {

// A listener with room for one waiting connection at most, or none when full.
int Listen(int fd, const sockaddr* where, socklen_t size) {
    if (fd < 0 || bind(fd, where, size) != 0 || listen(fd, 0) != 0) {
        if (fd >= 0) {
            ::close(fd);
        }
        return -1;
    }
    return fd;
}

}  // namespace

DaemonStandIn::DaemonStandIn(const std::string& path, Behaviour behaviour, std::string line)
    : behaviour_(behaviour), line_(std::move(line)) {
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, path.c_str(), sizeof where.sun_path - 1);
    listener_ = Listen(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0),
                       reinterpret_cast<const sockaddr*>(&where), sizeof where);
    if (listener_ >= 0 && behaviour_ == Behaviour::NeverAccepts) {
        filler_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
        connect(filler_, reinterpret_cast<const sockaddr*>(&where), sizeof where);
    }
    start();
}

DaemonStandIn::DaemonStandIn(int listener, int port, Behaviour behaviour, std::string line)
    : listener_(listener), port_(port), behaviour_(behaviour), line_(std::move(line)) {}

std::unique_ptr<DaemonStandIn> DaemonStandIn::OnTcp(const std::string& host, Behaviour behaviour,
                                                    std::string line, int port) {
    const bool v6 = host.find(':') != std::string::npos;
    sockaddr_storage where{};
    socklen_t size = 0;
    if (v6) {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&where);
        in6->sin6_family = AF_INET6;
        inet_pton(AF_INET6, host.c_str(), &in6->sin6_addr);
        in6->sin6_port = htons(static_cast<std::uint16_t>(port));
        size = sizeof *in6;
    } else {
        auto* in4 = reinterpret_cast<sockaddr_in*>(&where);
        in4->sin_family = AF_INET;
        inet_pton(AF_INET, host.c_str(), &in4->sin_addr);
        in4->sin_port = htons(static_cast<std::uint16_t>(port));
        size = sizeof *in4;
    }
    const int listener = Listen(socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0),
                                reinterpret_cast<const sockaddr*>(&where), size);
    if (listener >= 0) {
        getsockname(listener, reinterpret_cast<sockaddr*>(&where), &size);
        port = ntohs(v6 ? reinterpret_cast<sockaddr_in6*>(&where)->sin6_port
                        : reinterpret_cast<sockaddr_in*>(&where)->sin_port);
    }
    std::unique_ptr<DaemonStandIn> standIn(
        new DaemonStandIn(listener, port, behaviour, std::move(line)));
    if (listener >= 0 && behaviour == Behaviour::NeverAccepts) {
        // One connection fills the queue; every later handshake goes unanswered.
        standIn->filler_ = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        connect(standIn->filler_, reinterpret_cast<const sockaddr*>(&where), size);
    }
    standIn->start();
    return standIn;
}

DaemonStandIn::~DaemonStandIn() {
    close();
}

void DaemonStandIn::start() {
    if (listener_ >= 0 && behaviour_ != Behaviour::NeverAccepts) {
        thread_ = std::thread([this] { run(); });
    }
}

void DaemonStandIn::close() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    for (int* fd : {&listener_, &filler_}) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

void DaemonStandIn::run() {
    std::vector<int> clients;
    std::string burst;
    while (burst.size() < 65536 && !line_.empty()) {
        burst += line_;
    }
    std::size_t offset = 0;  // into burst, where the next write starts
    while (!stop_) {
        std::vector<pollfd> wait{{listener_, POLLIN, 0}};
        const bool flooding = behaviour_ == Behaviour::Floods && !paused_ && !clients.empty();
        for (int client : clients) {
            wait.push_back({client, static_cast<short>(flooding ? POLLOUT : 0), 0});
        }
        poll(wait.data(), wait.size(), 20);
        if ((wait[0].revents & POLLIN) != 0) {
            const int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                clients.push_back(client);
                ++connections_;
            }
        }
        for (std::size_t i = 1; i < wait.size(); ++i) {
            if ((wait[i].revents & POLLOUT) == 0) {
                continue;
            }
            const ssize_t sent =
                send(wait[i].fd, burst.data() + offset, burst.size() - offset, MSG_NOSIGNAL);
            if (sent > 0) {
                // Whole lines counted: offset stays within the line it reached.
                const std::size_t end = offset + static_cast<std::size_t>(sent);
                lines_ += static_cast<std::int64_t>(end / line_.size() - offset / line_.size());
                offset = end % burst.size();
            }
        }
    }
    for (int client : clients) {
        ::close(client);
    }
}

}  // namespace tavrel::testing
