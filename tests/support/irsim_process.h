// Test support around the simulated receiver: starts irsim as a child,
// feeds it script text, reads its log as it comes, and waits for it to end.
// Also a watcher of bytes queued on a line.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "child_process.h"
#include "temp_dir.h"

namespace tavrel::testing {

// One line of irsim's log: "MILLISECONDS KIND [DATA]".
struct IrsimEvent {
    double milliseconds = 0;
    std::string kind;                 // ready, rx, reply, burst, send, dropped, script-error, exit
    std::string text;                 // DATA as written
    std::vector<std::uint8_t> bytes;  // DATA read as hex bytes, where it is hex
};

struct IrsimOptions {
    std::string linkPath;  // required: where the line appears
    int burstSize = 6;
    int repeatMilliseconds = 110;
    bool absoluteTime = false;  // stamps on CLOCK_MONOTONIC (std::chrono::steady_clock)
    bool loop = false;          // --loop: the script plays again from its start at its end
    std::string executable = TAVREL_IRSIM_PATH;
};

class IrsimProcess {
public:
    // Starts irsim reading its script from a pipe; waits until its line is up.
    // started() is false when it did not come up within a few seconds.
    explicit IrsimProcess(const IrsimOptions& options);
    // Ends the script, waits for the exit; kills after a few seconds.
    ~IrsimProcess();
    IrsimProcess(const IrsimProcess&) = delete;
    IrsimProcess& operator=(const IrsimProcess&) = delete;

    bool started() const { return started_; }
    pid_t pid() const { return child_.pid(); }

    // Script text, e.g. "press 0A1F3C\nwait 200\n".
    void send(const std::string& script);
    // Ends the script: irsim runs what is queued and exits.
    void closeInput();

    // Reads the log until condition() holds or timeoutMs pass; true if it held.
    bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 5000);
    // Events of one kind so far (all when kind is empty).
    std::vector<IrsimEvent> events(const std::string& kind = "") const;
    bool waitForEvents(const std::string& kind, std::size_t count, int timeoutMs = 5000);
    // Lines that are not events (irsim's own complaints).
    const std::vector<std::string>& otherLines() const { return otherLines_; }

    // Exit status (as from waitpid) once it ended, -1 after timeoutMs.
    int waitExit(int timeoutMs = 5000);

private:
    bool readLog(int timeoutMs);
    void parseLines();

    ChildProcess child_;
    int input_ = -1;
    int log_ = -1;
    bool started_ = false;
    std::string pending_;
    std::vector<IrsimEvent> events_;
    std::vector<std::string> otherLines_;
};

// Waits until at least count bytes wait unread on the line open as fd (any
// open file of the same terminal shows them). False after timeoutMs.
bool WaitForQueuedInput(int fd, int count, int timeoutMs = 5000);

// Reads up to count bytes that arrive on fd within timeoutMs.
std::vector<std::uint8_t> ReadBytes(int fd, std::size_t count, int timeoutMs = 5000);

}  // namespace tavrel::testing
