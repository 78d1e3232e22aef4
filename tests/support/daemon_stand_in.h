// A stand-in for the LIRC daemon that misbehaves, for tests and benchmarks of
// the daemon's client: it listens at a local socket or on a loopback address
// and, once a client connects, floods it with lines, says nothing, or never
// accepts it at all. Everything runs on a thread of its own, which ends when
// the object goes.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

namespace tavrel::testing {

class DaemonStandIn {
public:
    enum class Behaviour {
        Silent,        // accepts and says nothing
        Floods,        // writes its line as fast as the client takes it
        NeverAccepts,  // its listen queue is full, and it never accepts
    };

    // Listens at a local socket path.
    DaemonStandIn(const std::string& path, Behaviour behaviour, std::string line = {});
    // Listens on host (a numeric address) at port, or at one the system picks.
    static std::unique_ptr<DaemonStandIn> OnTcp(const std::string& host, Behaviour behaviour,
                                                std::string line = {}, int port = 0);
    ~DaemonStandIn();
    DaemonStandIn(const DaemonStandIn&) = delete;
    DaemonStandIn& operator=(const DaemonStandIn&) = delete;

    bool listening() const { return listener_ >= 0; }
    int port() const { return port_; }
    // Lines written so far to the clients it accepted.
    std::int64_t linesWritten() const { return lines_; }
    int connections() const { return connections_; }
    // The flood pauses (true) or goes on (false).
    void pause(bool paused) { paused_ = paused; }
    // Closes every connection and the listener: the daemon is gone.
    void close();

private:
    DaemonStandIn(int listener, int port, Behaviour behaviour, std::string line);
    void start();
    void run();

    int listener_ = -1;
    int filler_ = -1;  // the connection that keeps a listen queue full
    int port_ = 0;
    Behaviour behaviour_;
    std::string line_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{false};
    std::atomic<std::int64_t> lines_{0};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

}  // namespace tavrel::testing
