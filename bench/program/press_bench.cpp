// The real program in running mode with 10,000 learned commands on a
// simulated serial receiver: from the burst written to the line to the
// KeyPress at a real X client, and to the recognition's line in the log,
// for the first command of the table and for the last. Run it under
// scripts/xstack.
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <thread>
#include <vector>

#include "bench_target.h"
#include "irsim_process.h"
#include "large_table.h"
#include "percentile.h"
#include "program_run.h"
#include "smoke.h"

namespace {

using tavrel::bench::Percentile;

using Clock = std::chrono::steady_clock;
using tavrel::testing::IrsimProcess;

constexpr int kRemotes = 100;
constexpr int kCommandsPerRemote = 100;
constexpr int kLastEntry = kRemotes * (kCommandsPerRemote + 1);

double Milliseconds(Clock::time_point at) {
    return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

// The log is a FIFO read here, so that each line is stamped as it is written.
// It is opened for writing too: the program opens and closes it for every
// line, and without a writer of its own the reader would see end-of-file.
class LogReader {
public:
    explicit LogReader(const std::string& path) {
        if (mkfifo(path.c_str(), 0600) == 0) {
            fd_ = open(path.c_str(), O_RDWR | O_CLOEXEC);
        }
        if (fd_ >= 0) {
            thread_ = std::thread([this] { read(); });
        }
    }
    ~LogReader() {
        stop_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    LogReader(const LogReader&) = delete;
    LogReader& operator=(const LogReader&) = delete;

    bool ok() const { return fd_ >= 0; }
    std::size_t count() const {
        const std::lock_guard lock(mutex_);
        return stamps_.size();
    }
    // When line index (from 0) arrived, if it did.
    std::optional<Clock::time_point> stamp(std::size_t index) const {
        const std::lock_guard lock(mutex_);
        return index < stamps_.size() ? std::optional(stamps_[index]) : std::nullopt;
    }

private:
    void read() {
        char buffer[4096];
        while (!stop_) {
            pollfd readable{fd_, POLLIN, 0};
            if (poll(&readable, 1, 100) <= 0) {
                continue;
            }
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            const Clock::time_point now = Clock::now();
            if (got <= 0) {
                continue;
            }
            const std::lock_guard lock(mutex_);
            for (ssize_t i = 0; i < got; ++i) {
                if (buffer[i] == '\n') {
                    stamps_.push_back(now);
                }
            }
        }
    }

    int fd_ = -1;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<Clock::time_point> stamps_;
};

// The program loaded minimized with 10,000 commands, its log a FIFO.
struct RunningProgram {
    tavrel::bench::ProgramRun run{
        tavrel::bench::ProgramSetup{.loadMinimized = true,
                                    .remotes = kRemotes,
                                    .commandsPerRemote = kCommandsPerRemote,
                                    .log = true}};
    LogReader log{run.file("tavrel.log")};

    bool start() { return run.ready() && log.ok() && run.start() && run.waitForPortOpen(); }
    IrsimProcess& irsim() { return run.irsim(); }
    ~RunningProgram() { run.program().stop(SIGTERM, 10000); }
};

// entry: the entry number of the command pressed; keysym: what it types.
void PressToKeyAndLog(benchmark::State& state, int entry, unsigned long keysym) {
    RunningProgram program;
    if (!program.start()) {
        state.SkipWithError("the program or its receiver did not start");
        return;
    }
    const auto target = tavrel::bench::OpenFocusedTarget(state, "press target");
    if (!target) {
        return;
    }
    const tavrel::test::TestWindow& window = *target.window;
    // The receiver's answer to the start-up bytes is a burst of its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<double> toKey;
    std::vector<double> toLog;
    for (auto _ : state) {
        const std::size_t keysSeen = window.records().keys.size();
        const std::size_t linesSeen = program.log.count();
        const std::size_t sent = program.irsim().events("send").size();
        program.irsim().send("send " + tavrel::bench::CodeOfEntry(entry) + "\n");
        double key = -1;
        double line = -1;
        tavrel::test::WaitUntil(
            [&] {
                if (!program.irsim().waitForEvents("send", sent + 1, 5)) {
                    return false;
                }
                const double written = program.irsim().events("send")[sent].milliseconds;
                const auto keys = window.records().keys;
                const auto press = std::find_if(
                    keys.begin() + static_cast<long>(std::min(keysSeen, keys.size())), keys.end(),
                    [&](const auto& k) { return k.press && k.keysym == keysym; });
                if (press != keys.end()) {
                    key = Milliseconds(press->at) - written;
                }
                if (const auto logged = program.log.stamp(linesSeen)) {
                    line = Milliseconds(*logged) - written;
                }
                return key >= 0 && line >= 0;
            },
            std::chrono::seconds(3));
        if (key >= 0) {
            toKey.push_back(key);
        }
        if (line >= 0) {
            toLog.push_back(line);
        }
        state.SetIterationTime(std::max(key, 0.0) / 1000.0);
        // Past the 150 ms that end a burst, so the next one is a press of its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    state.counters["key_median_ms"] = Percentile(toKey, 0.5);
    state.counters["key_p99_ms"] = Percentile(toKey, 0.99);
    state.counters["log_median_ms"] = Percentile(toLog, 0.5);
    state.counters["log_p99_ms"] = Percentile(toLog, 0.99);
    state.counters["n"] = static_cast<double>(std::min(toKey.size(), toLog.size()));
}

void BM_FirstOf10000Commands(benchmark::State& state) {
    PressToKeyAndLog(state, 2, XK_a);
}
void BM_LastOf10000Commands(benchmark::State& state) {
    PressToKeyAndLog(state, kLastEntry, XK_b);
}
BENCHMARK(BM_FirstOf10000Commands)
    ->Iterations(tavrel::bench::Runs(200))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LastOf10000Commands)
    ->Iterations(tavrel::bench::Runs(200))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
