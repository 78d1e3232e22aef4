// The LIRC daemon as a receiver: a client of its socket (a local path, or
// HOST:PORT over TCP) whose event lines become one batch each. When the
// daemon stops, the client closes and says so, to be opened again when the
// daemon is back. Nothing here waits on the daemon: a local socket connects
// or fails at once, a TCP connection is made off the message loop within one
// deadline, and the lines are handled a slice per wake-up.
#pragma once

#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"
#include "platform/read_watch.h"
#include "platform/timer.h"
#include "receivers/lircd/lircd_events.h"
#include "receivers/lircd/socket_appearance.h"
#include "receivers/lircd/tcp_connect.h"
#include "receivers/receiver.h"

namespace tavrel {

class LircdClient final : public Receiver {
public:
    // The longest one attempt over TCP takes, name lookup and the connects
    // to all its addresses together.
    static constexpr int kConnectDeadline = 3000;
    // Lines handled at most per wake-up. What waits behind them stays in the
    // socket, whose buffer the kernel bounds (a daemon that writes faster is
    // held back): every line may be a press, so none is dropped, and the
    // window and SIGTERM get their turn between slices.
    static constexpr std::size_t kLinesPerWakeUp = 32;
    // A daemon's machine that vanished without a word: keepalive probes after
    // this many seconds of silence, this often, this many unanswered. About
    // 11 s in all, after which the usual hang-up follows.
    static constexpr int kKeepAliveIdle = 5;
    static constexpr int kKeepAliveInterval = 2;
    static constexpr int kKeepAliveProbes = 3;

    // address: a daemon choice (ChooseReceiver of "lircd:...").
    LircdClient(ReceiverChoice address, TimerFactory& timers, ReadWatchFactory& watches);
    ~LircdClient() override;

    bool OpenPort() override;
    bool Opening() const override { return static_cast<bool>(connect_); }
    void ClosePort() override;
    bool IsOpen() const override { return static_cast<bool>(fd_); }
    const OpenFailure& LastFailure() const override { return lastFailure_; }

    // "/run/lirc/lircd", or the address as typed: "host:8765".
    std::string Address() const;

private:
    UniqueFd ConnectLocal();
    void StartConnect();
    void ConnectEnded();
    void ConnectTimedOut();
    void EndAttempt();
    void Opened(UniqueFd fd);
    void ReadAvailable();
    void HandleSlice();
    void Hangup();

    ReceiverChoice address_;
    ReadWatchFactory& watches_;
    UniqueFd fd_;
    std::unique_ptr<ReadWatch> watch_;
    LircdEvents events_;
    // Read from the socket but not handled yet: a slice at a time.
    std::string unread_;
    std::unique_ptr<Timer> nextSlice_;
    bool reading_ = false;
    OpenFailure lastFailure_;
    // A connection over TCP under way.
    std::unique_ptr<TcpConnect> connect_;
    std::unique_ptr<ReadWatch> connectWatch_;
    std::unique_ptr<Timer> deadline_;
    // After a hang-up of a local socket: its folder, for the daemon's return.
    std::unique_ptr<SocketAppearance> back_;
};

}  // namespace tavrel
