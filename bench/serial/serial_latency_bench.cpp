// How long a burst from the receiver takes to reach OnReceiveData: from the
// moment irsim writes it to the event, with real timers polling the line.
#include <poll.h>
#include <time.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <vector>

#include "irsim_process.h"
#include "platform/timer.h"
#include "serial/ComDrv32.h"

namespace {

using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, as irsim's --absolute-time

// Real timers run by a small poll()-based loop on this thread, as a message
// loop would run them.
class TimerLoop : public tavrel::TimerFactory {
public:
    std::unique_ptr<tavrel::Timer> createTimer() override {
        auto timer = std::make_unique<LoopTimer>();
        timers_.push_back(timer.get());
        return timer;
    }

    // Fires due timers until done() holds or the deadline passes.
    bool runUntil(const std::function<bool()>& done, Clock::time_point deadline) {
        while (!done()) {
            const auto now = Clock::now();
            if (now >= deadline) {
                return false;
            }
            auto next = deadline;
            for (LoopTimer* timer : timers_) {
                if (timer->enabled()) {
                    next = std::min(next, timer->due);
                }
            }
            if (next > now) {
                const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(next - now);
                const timespec span{static_cast<time_t>(wait.count() / 1000000000),
                                    static_cast<long>(wait.count() % 1000000000)};
                ppoll(nullptr, 0, &span, nullptr);
            }
            for (LoopTimer* timer : timers_) {
                if (timer->enabled() && Clock::now() >= timer->due) {
                    timer->due += std::chrono::milliseconds(timer->interval());
                    timer->fire();
                }
            }
        }
        return true;
    }

private:
    class LoopTimer : public tavrel::Timer {
    public:
        void setInterval(int milliseconds) override {
            interval_ = milliseconds;
            restart();
        }
        int interval() const override { return interval_; }
        void setEnabled(bool enabled) override {
            if (enabled && !enabled_) {
                enabled_ = true;
                restart();
            }
            enabled_ = enabled;
        }
        bool enabled() const override { return enabled_; }
        void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }
        void fire() {
            if (onTick_) {
                onTick_();
            }
        }
        Clock::time_point due;

    private:
        void restart() { due = Clock::now() + std::chrono::milliseconds(interval_); }
        int interval_ = 1000;
        bool enabled_ = false;
        std::function<void()> onTick_;
    };

    // The driver lives shorter than the loop, so the list never dangles while used.
    std::vector<LoopTimer*> timers_;
};

double Milliseconds(Clock::time_point at) {
    return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[index];
}

void BM_BurstToReceiveEvent(benchmark::State& state) {
    const int pollingDelay = static_cast<int>(state.range(0));
    tavrel::testing::TempDir dir;
    tavrel::testing::IrsimProcess irsim({.linkPath = dir.file("ttyIR"), .absoluteTime = true});
    if (!irsim.started()) {
        state.SkipWithError("irsim did not start");
        return;
    }
    TimerLoop loop;
    tavrel::TCommPortDriver driver(loop);
    tavrel::DevicePathTable paths = tavrel::DefaultDevicePaths();
    paths[tavrel::pnCOM1] = dir.file("ttyIR");
    driver.SetDevicePaths(paths);
    driver.SetComPort(tavrel::pnCOM1);
    driver.SetComPortSpeed(tavrel::br19200);
    driver.SetComPortPollingDelay(static_cast<std::uint16_t>(pollingDelay));
    Clock::time_point deliveredAt;
    std::size_t received = 0;
    driver.SetOnReceiveData([&](tavrel::TCommPortDriver&, const std::uint8_t*, std::int32_t size) {
        deliveredAt = Clock::now();
        received += static_cast<std::size_t>(size);
    });
    if (!driver.OpenPort()) {
        state.SkipWithError(driver.LastError().c_str());
        return;
    }

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> phase(0, pollingDelay * 1000);
    std::vector<double> latencies;
    std::size_t bursts = 0;
    for (auto _ : state) {
        // A press comes at any moment of the polling period.
        const auto idleUntil = Clock::now() + std::chrono::microseconds(phase(random));
        loop.runUntil([] { return false; }, idleUntil);
        const std::size_t expected = received + 6;
        irsim.send("press 0A1F3C\n");
        ++bursts;
        if (!loop.runUntil([&] { return received >= expected; },
                           Clock::now() + std::chrono::seconds(2)) ||
            !irsim.waitForEvents("burst", bursts)) {
            state.SkipWithError("a burst did not arrive");
            return;
        }
        const double writtenAt = irsim.events("burst")[bursts - 1].milliseconds;
        const double latency = Milliseconds(deliveredAt) - writtenAt;
        latencies.push_back(latency);
        state.SetIterationTime(latency / 1000.0);
    }
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["max_ms"] = Percentile(latencies, 1.0);
}

BENCHMARK(BM_BurstToReceiveEvent)
    ->Arg(50)
    ->Iterations(400)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BurstToReceiveEvent)
    ->Arg(5)
    ->Iterations(1000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
