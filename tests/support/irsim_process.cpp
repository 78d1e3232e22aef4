// Starting, feeding and watching irsim from tests and benchmarks.
#include "irsim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <sstream>

namespace tavrel::testing {

namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

bool ParseHex(const std::string& text, std::vector<std::uint8_t>& bytes) {
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (word.size() != 2 ||
            word.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos) {
            bytes.clear();
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(word, nullptr, 16)));
    }
    return true;
}

}  // namespace

IrsimProcess::IrsimProcess(const IrsimOptions& options) {
    int inputPipe[2];
    int logPipe[2];
    if (pipe2(inputPipe, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(logPipe, O_CLOEXEC) != 0) {
        close(inputPipe[0]);
        close(inputPipe[1]);
        return;
    }
    std::vector<std::string> args = {options.executable,
                                     "--link",
                                     options.linkPath,
                                     "--burst-size",
                                     std::to_string(options.burstSize),
                                     "--repeat-ms",
                                     std::to_string(options.repeatMilliseconds)};
    if (options.absoluteTime) {
        args.push_back("--absolute-time");
    }
    if (options.loop) {
        args.push_back("--loop");
    }
    const bool spawned =
        child_.start(args, ChildStreams{.input = inputPipe[0], .error = logPipe[1]});
    close(inputPipe[0]);
    close(logPipe[1]);
    input_ = inputPipe[1];
    log_ = logPipe[0];
    if (!spawned) {
        return;
    }
    started_ = waitForEvents("ready", 1, 5000);
}

IrsimProcess::~IrsimProcess() {
    closeInput();
    if (waitExit(5000) == -1) {
        child_.stop(SIGKILL, 5000);
    }
    if (log_ >= 0) {
        close(log_);
    }
}

void IrsimProcess::send(const std::string& script) {
    std::size_t done = 0;
    while (input_ >= 0 && done < script.size()) {
        const ssize_t written = write(input_, script.data() + done, script.size() - done);
        if (written <= 0) {
            break;
        }
        done += static_cast<std::size_t>(written);
    }
}

void IrsimProcess::closeInput() {
    if (input_ >= 0) {
        close(input_);
        input_ = -1;
    }
}

bool IrsimProcess::readLog(int timeoutMs) {
    if (log_ < 0) {
        return false;
    }
    pollfd readable{log_, POLLIN, 0};
    if (poll(&readable, 1, timeoutMs) <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t got = read(log_, buffer, sizeof buffer);
    if (got <= 0) {
        close(log_);
        log_ = -1;
        return false;
    }
    pending_.append(buffer, static_cast<std::size_t>(got));
    parseLines();
    return true;
}

void IrsimProcess::parseLines() {
    for (std::size_t newline = pending_.find('\n'); newline != std::string::npos;
         newline = pending_.find('\n')) {
        const std::string line = pending_.substr(0, newline);
        pending_.erase(0, newline + 1);
        std::istringstream fields(line);
        IrsimEvent event;
        if (!(fields >> event.milliseconds >> event.kind)) {
            otherLines_.push_back(line);
            continue;
        }
        std::getline(fields >> std::ws, event.text);
        ParseHex(event.text, event.bytes);
        events_.push_back(std::move(event));
    }
}

bool IrsimProcess::waitUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        const int left = MillisecondsLeft(deadline);
        if (left == 0 || log_ < 0) {
            return condition();
        }
        readLog(left);
    }
    return true;
}

std::vector<IrsimEvent> IrsimProcess::events(const std::string& kind) const {
    std::vector<IrsimEvent> found;
    for (const IrsimEvent& event : events_) {
        if (kind.empty() || event.kind == kind) {
            found.push_back(event);
        }
    }
    return found;
}

bool IrsimProcess::waitForEvents(const std::string& kind, std::size_t count, int timeoutMs) {
    return waitUntil([&] { return events(kind).size() >= count; }, timeoutMs);
}

int IrsimProcess::waitExit(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (const int status = child_.waitExit(0); status != -1 || !child_.running()) {
            return status;
        }
        const int left = MillisecondsLeft(deadline);
        if (left == 0) {
            return -1;
        }
        // The log closes when irsim ends; after that, short naps until it is reaped.
        if (log_ < 0 || !readLog(std::min(left, 20))) {
            poll(nullptr, 0, std::min(left, 5));
        }
    }
}

bool WaitForQueuedInput(int fd, int count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int queued = 0;
        if (ioctl(fd, FIONREAD, &queued) == 0 && queued >= count) {
            return true;
        }
        const int left = MillisecondsLeft(deadline);
        if (left == 0) {
            return false;
        }
        pollfd readable{fd, POLLIN, 0};
        if (queued == 0) {
            poll(&readable, 1, left);
        } else {
            poll(nullptr, 0, 1);  // some arrived; the rest is on its way
        }
    }
}

std::vector<std::uint8_t> ReadBytes(int fd, std::size_t count, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        pollfd readable{fd, POLLIN, 0};
        if (poll(&readable, 1, MillisecondsLeft(deadline)) <= 0) {
            break;
        }
        std::uint8_t buffer[4096];
        const ssize_t got = read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

}  // namespace tavrel::testing
