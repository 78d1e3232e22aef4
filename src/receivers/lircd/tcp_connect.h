// Connecting to the daemon over TCP without holding up the message loop: a
// thread of its own looks the name up and tries every address it gives at
// once, the first to answer wins; the loop hears of the end through a
// descriptor that turns readable. Whoever started it may give up at any time:
// a socket that connects afterwards is closed, never handed to anyone.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"

namespace tavrel {

class TcpConnect {
public:
    // The connects end deadlineMs after the start at the latest; a name
    // lookup cannot be cut short, so the caller keeps a deadline of its own.
    TcpConnect(const std::string& host, std::uint16_t port, int deadlineMs);
    // Gives up, whatever the thread is doing.
    ~TcpConnect();
    TcpConnect(const TcpConnect&) = delete;
    TcpConnect& operator=(const TcpConnect&) = delete;

    // Readable once the attempt has ended.
    int readyFd() const;
    bool ended() const;
    // Once ended: the connected socket (taken by the first call), or none and
    // the failure, an errno or the resolver's words.
    UniqueFd take();
    int error() const;
    const std::string& resolverError() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace tavrel
