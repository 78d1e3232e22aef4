// The LIRC daemon as a receiver: a client of its socket (a local path, or
// HOST:PORT over TCP) whose event lines become one batch each. When the
// daemon stops, the client closes and says so, to be opened again when the
// daemon is back.
#pragma once

#include <memory>

#include "platform/posix/unique_fd.h"
#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/lircd/lircd_events.h"
#include "receivers/receiver.h"

namespace tavrel {

class LircdClient final : public Receiver {
public:
    // The longest a connection over TCP is waited for: the window waits too.
    static constexpr int kConnectTimeout = 500;
    static constexpr int kConnectDeadline = kConnectTimeout;

    // address: a daemon choice (ChooseReceiver of "lircd:...").
    LircdClient(ReceiverChoice address, TimerFactory& timers, ReadWatchFactory& watches);
    ~LircdClient() override;

    bool OpenPort() override;
    void ClosePort() override;
    bool IsOpen() const override { return static_cast<bool>(fd_); }
    const OpenFailure& LastFailure() const override { return lastFailure_; }

    // "/run/lirc/lircd" or "host:8765".
    std::string Address() const;

private:
    // The connected socket, or none with lastFailure_ set.
    UniqueFd Connect();
    UniqueFd ConnectLocal();
    UniqueFd ConnectTcp();
    void ReadAvailable();
    void Hangup();

    ReceiverChoice address_;
    ReadWatchFactory& watches_;
    UniqueFd fd_;
    std::unique_ptr<ReadWatch> watch_;
    LircdEvents events_;
    bool reading_ = false;
    OpenFailure lastFailure_;
};

}  // namespace tavrel
