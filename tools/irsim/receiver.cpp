// The receiver's event loop on one pseudo-terminal.
#include "receiver.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/posix/unique_fd.h"

namespace irsim {

namespace {

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

double MonotonicMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

std::string Hex(const std::uint8_t* data, std::size_t size) {
    std::string text;
    char pair[4];
    for (std::size_t i = 0; i < size; ++i) {
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : " %02X", data[i]);
        text += pair;
    }
    return text;
}

class Receiver {
public:
    Receiver(const ReceiverOptions& options, ScriptParser& script)
        : options_(options), script_(script), start_(MonotonicMilliseconds()) {}

    ~Receiver() { removeLink(); }

    int run() {
        if (!openLog() || !openLine()) {
            return 2;
        }
        log("ready", options_.linkPath.empty() ? slavePath_ : options_.linkPath);
        reportScriptErrors();
        bool inputOpen = options_.readStandardInput;
        while (stopRequested == 0) {
            double now = elapsed();
            runDueWork(now);
            if (quit_) {
                break;
            }
            if (!inputOpen && idle() && script_.commands().empty()) {
                if (!playAgain()) {
                    break;
                }
                continue;
            }
            pollfd fds[2] = {{master_.get(), POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
            const nfds_t count = inputOpen ? 2 : 1;
            const int timeout = timeoutUntilDue(elapsed());
            sigset_t unblocked;
            sigemptyset(&unblocked);
            timespec wait{timeout / 1000, (timeout % 1000) * 1000000L};
            const int ready = ppoll(fds, count, timeout < 0 ? nullptr : &wait, &unblocked);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                log("error", std::string("poll: ") + std::strerror(errno));
                return 1;
            }
            if (fds[0].revents & POLLIN) {
                receive();
            }
            if (inputOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
                inputOpen = readScript();
            }
        }
        log("exit", "");
        return 0;
    }

private:
    bool openLog() {
        if (options_.logPath.empty()) {
            return true;
        }
        logFile_ = tavrel::UniqueFd(
            open(options_.logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
        if (!logFile_) {
            std::fprintf(stderr, "tavrel-irsim: %s: %s\n", options_.logPath.c_str(),
                         std::strerror(errno));
            return false;
        }
        return true;
    }

    bool openLine() {
        master_ = tavrel::UniqueFd(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!master_ || grantpt(master_.get()) != 0 || unlockpt(master_.get()) != 0) {
            return fail("cannot create a pseudo-terminal");
        }
        const char* name = ptsname(master_.get());
        if (name == nullptr) {
            return fail("cannot name the pseudo-terminal");
        }
        slavePath_ = name;
        // Holding the slave keeps the line alive while the program closes and
        // reopens it, so the master never sees a hang-up.
        slave_ = tavrel::UniqueFd(open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
        if (!slave_) {
            return fail("cannot open " + slavePath_);
        }
        // Until the program sets its own line, echo would send every burst back.
        termios raw{};
        tcgetattr(slave_.get(), &raw);
        cfmakeraw(&raw);
        tcsetattr(slave_.get(), TCSANOW, &raw);
        if (!options_.linkPath.empty()) {
            char target[4096];
            const ssize_t length = readlink(options_.linkPath.c_str(), target, sizeof target);
            if (length >= 0) {
                unlink(options_.linkPath.c_str());  // a link left by an earlier run
            } else if (errno != ENOENT) {
                return fail(options_.linkPath + " exists and is not a link; not replacing it");
            }
            if (symlink(slavePath_.c_str(), options_.linkPath.c_str()) != 0) {
                return fail("cannot link " + options_.linkPath + ": " + std::strerror(errno));
            }
            linked_ = true;
        }
        return true;
    }

    bool fail(const std::string& message) {
        std::fprintf(stderr, "tavrel-irsim: %s\n", message.c_str());
        return false;
    }

    void removeLink() {
        if (!linked_) {
            return;
        }
        char target[4096];
        const ssize_t length = readlink(options_.linkPath.c_str(), target, sizeof target - 1);
        if (length >= 0 && std::string(target, static_cast<std::size_t>(length)) == slavePath_) {
            unlink(options_.linkPath.c_str());
        }
        linked_ = false;
    }

    double elapsed() const { return MonotonicMilliseconds() - start_; }

    void log(const std::string& kind, const std::string& text) {
        const double stamp = options_.absoluteTime ? MonotonicMilliseconds() : elapsed();
        char prefix[64];
        std::snprintf(prefix, sizeof prefix, "%.3f ", stamp);
        std::string line = prefix + kind + (text.empty() ? "" : " " + text) + "\n";
        // One write per line, so a reader never sees half a line.
        const int logFd = logFile_ ? logFile_.get() : STDERR_FILENO;
        if (write(logFd, line.data(), line.size()) < 0) {
            return;
        }
    }

    void reportScriptErrors() {
        for (const std::string& error : script_.errors()) {
            log("script-error", error);
        }
        script_.errors().clear();
    }

    bool idle() const { return !holding_ && !waitingUntil_; }

    void transmit(const char* kind, const std::vector<std::uint8_t>& bytes) {
        const ssize_t written = write(master_.get(), bytes.data(), bytes.size());
        const std::size_t sent = written > 0 ? static_cast<std::size_t>(written) : 0;
        if (sent > 0) {
            log(kind, Hex(bytes.data(), sent));
        }
        if (sent < bytes.size()) {
            // Nobody drains the line and its buffer is full: a real receiver
            // would lose these bytes on the wire just the same.
            log("dropped", Hex(bytes.data() + sent, bytes.size() - sent));
        }
    }

    void receive() {
        std::uint8_t buffer[4096];
        const ssize_t got = read(master_.get(), buffer, sizeof buffer);
        if (got <= 0) {
            return;
        }
        log("rx", Hex(buffer, static_cast<std::size_t>(got)));
        for (ssize_t i = 0; i < got; ++i) {
            // 'I' then 'R' is the start-up request; anything between starts over.
            if (buffer[i] == 'R' && sawI_) {
                transmit("reply", {'O', 'K'});
            }
            sawI_ = buffer[i] == 'I';
        }
    }

    bool readScript() {
        char buffer[4096];
        const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            return true;
        }
        if (got <= 0) {
            script_.finish();
            reportScriptErrors();
            return false;
        }
        script_.feed(std::string(buffer, static_cast<std::size_t>(got)));
        reportScriptErrors();
        return true;
    }

    // Starts queued commands and sends the bursts that have fallen due.
    void runDueWork(double now) {
        if (holding_ && now >= nextBurst_ && nextBurst_ < holdEnd_) {
            transmit("burst", burst_);
            nextBurst_ += options_.repeatMilliseconds;  // no drift: from the schedule
        }
        if (holding_ && now >= holdEnd_ && nextBurst_ >= holdEnd_) {
            holding_ = false;
        }
        if (waitingUntil_ && now >= *waitingUntil_) {
            waitingUntil_.reset();
        }
        auto& queue = script_.commands();
        while (idle() && !queue.empty() && !quit_) {
            const ScriptCommand command = queue.front();
            queue.pop_front();
            if (options_.loop) {
                played_.push_back(command);
            }
            switch (command.kind) {
                case ScriptCommand::Press:
                    transmit("burst", MakeBurst(command.bytes, options_.burstSize));
                    break;
                case ScriptCommand::Send:
                    transmit("send", command.bytes);
                    break;
                case ScriptCommand::Hold:
                    burst_ = MakeBurst(command.bytes, options_.burstSize);
                    holding_ = true;
                    nextBurst_ = now;
                    holdEnd_ = now + command.milliseconds;
                    if (command.milliseconds > 0) {
                        transmit("burst", burst_);
                        nextBurst_ += options_.repeatMilliseconds;
                    }
                    break;
                case ScriptCommand::Wait:
                    waitingUntil_ = now + command.milliseconds;
                    break;
                case ScriptCommand::Quit:
                    quit_ = true;
                    break;
            }
        }
    }

    // A looped script, played to its end, is queued again; one that takes no
    // time would only spin, and ends instead.
    bool playAgain() {
        bool takesTime = false;
        for (const ScriptCommand& command : played_) {
            takesTime =
                takesTime ||
                ((command.kind == ScriptCommand::Wait || command.kind == ScriptCommand::Hold) &&
                 command.milliseconds > 0);
        }
        if (!takesTime) {
            return false;
        }
        script_.commands().assign(played_.begin(), played_.end());
        played_.clear();
        return true;
    }

    // Milliseconds until the next scheduled event; -1 for none.
    int timeoutUntilDue(double now) const {
        std::optional<double> due;
        if (holding_) {
            due = nextBurst_ < holdEnd_ ? nextBurst_ : holdEnd_;
        }
        if (waitingUntil_) {
            due = due ? std::min(*due, *waitingUntil_) : *waitingUntil_;
        }
        if (!due) {
            return -1;
        }
        const double left = *due - now;
        return left <= 0 ? 0 : static_cast<int>(left + 0.999);
    }

    const ReceiverOptions& options_;
    ScriptParser& script_;
    const double start_;
    tavrel::UniqueFd logFile_;  // none: standard error
    tavrel::UniqueFd master_;
    tavrel::UniqueFd slave_;
    std::string slavePath_;
    bool linked_ = false;
    bool sawI_ = false;
    bool quit_ = false;
    bool holding_ = false;
    std::vector<std::uint8_t> burst_;
    double nextBurst_ = 0;
    double holdEnd_ = 0;
    std::optional<double> waitingUntil_;
    std::vector<ScriptCommand> played_;  // this round of a looped script
};

}  // namespace

int RunReceiver(const ReceiverOptions& options, ScriptParser& script) {
    // Signals are held back except inside ppoll, so a stop request can never
    // slip in between the check and the wait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&stopSignals, signal);
        struct sigaction action {};
        action.sa_handler = RequestStop;
        sigaction(signal, &action, nullptr);
    }
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    Receiver receiver(options, script);
    return receiver.run();
}

}  // namespace irsim
