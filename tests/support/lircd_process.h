// The real LIRC daemon as a child of a test or benchmark: no hardware, a
// remote of our own, its socket in a private folder (never the system's), and
// presses sent into it as the daemon's SIMULATE command.
#pragma once

#include <cstdint>
#include <string>

#include "child_process.h"

namespace tavrel::testing {

class LircdProcess {
public:
    static constexpr const char* kRemote = "tavrel-test";

    // lircd and irsend are installed.
    static bool Available();
    // "00000000DEADBEEF 00 KEY_UP tavrel-test": what SIMULATE takes and what
    // the daemon then writes to every client.
    static std::string EventLine(std::uint64_t code, int repeat, const std::string& button);

    // Writes the daemon's configuration into folder and starts it there;
    // started() tells whether its socket answered within a few seconds.
    explicit LircdProcess(const std::string& folder);
    ~LircdProcess();
    LircdProcess(const LircdProcess&) = delete;
    LircdProcess& operator=(const LircdProcess&) = delete;

    bool started() const { return started_; }
    const std::string& socketPath() const { return socket_; }

    // irsend -d SOCKET SIMULATE "..."; true when irsend succeeded. Buttons of
    // the remote: KEY_UP, KEY_DOWN, KEY_OK.
    bool simulate(std::uint64_t code, int repeat, const std::string& button) const;
    // A signal to the daemon (SIGHUP: reread its configuration and tell its
    // clients).
    void signal(int number) const;
    // Stops the daemon and waits for it; start() brings it back.
    void stop();
    bool start();

private:
    std::string folder_;
    std::string socket_;
    ChildProcess child_;
    bool started_ = false;
};

}  // namespace tavrel::testing
