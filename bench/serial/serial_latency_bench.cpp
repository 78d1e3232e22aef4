// The serial path end to end, on a real pseudo-terminal whose device end a
// writer thread plays at random phases, stamping each write:
// - a burst from irsim to OnReceiveData;
// - a press to the KeyPress at a real X client (run under scripts/xstack),
//   bursts written whole or a byte per character time at 9600 baud;
// - the typematic repeats of a 3-second hold, bursts every 110 ms, written
//   whole and byte by byte at 9600 and 19200 baud;
// - the loop's wake-ups per second while the port is open and quiet.
#include <fcntl.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <random>
#include <thread>
#include <vector>

#include "capture/code_capture.h"
#include "commands/command_table.h"
#include "commands/sequence_settings.h"
#include "event_loop.h"
#include "irsim_process.h"
#include "percentile.h"
#include "receivers/serial/ComDrv32.h"
#include "smoke.h"

#ifdef TAVREL_BENCH_X11
// clang-format off
// The core's headers before Xlib's, whose macros clash with their names.
#include "actions/action_runner.h"
#include "actions/send_keys.h"
#include "commands/program_state.h"
#include "platform/posix/posix_file_system.h"
#include "road/receiving_road.h"
#include "bench_target.h"
#include "quiet_recognition_host.h"
// clang-format on
#include "platform/fake/fake_platform.h"
#endif

namespace {

using tavrel::bench::Percentile;

using tavrel::bench::Clock;
using tavrel::bench::EventLoop;

const std::vector<std::uint8_t> kBurst = {0x0A, 0x1F, 0x3C, 0x0A, 0x1F, 0x3C};

double Milliseconds(Clock::time_point at) {
    return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

// The receiver's end of a pseudo-terminal; the driver opens slavePath().
class Device {
public:
    Device() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
            slavePath_ = ptsname(master_);
        }
    }
    ~Device() {
        if (master_ >= 0) {
            close(master_);
        }
    }
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;
    const std::string& slavePath() const { return slavePath_; }

    // Writes a burst whole (baud 0) or a byte per character time at baud,
    // 10 bits a character; returns when the first byte was written.
    Clock::time_point send(const std::vector<std::uint8_t>& bytes, int baud) const {
        const Clock::time_point first = Clock::now();
        if (baud == 0) {
            Write(bytes.data(), bytes.size());
            return first;
        }
        const auto character = std::chrono::nanoseconds(10'000'000'000LL / baud);
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            SleepUntil(first + i * character);
            Write(&bytes[i], 1);
        }
        return first;
    }

    static void SleepUntil(Clock::time_point at) {
        const auto since =
            std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch());
        const timespec when{static_cast<time_t>(since.count() / 1000000000),
                            static_cast<long>(since.count() % 1000000000)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &when, nullptr);
    }

private:
    void Write(const std::uint8_t* data, std::size_t size) const {
        if (write(master_, data, size) != static_cast<ssize_t>(size)) {
            std::abort();
        }
    }
    int master_ = -1;
    std::string slavePath_;
};

bool OpenOn(tavrel::TCommPortDriver& driver, const std::string& path,
            tavrel::TComPortBaudRate rate) {
    tavrel::DevicePathTable paths = tavrel::DefaultDevicePaths();
    paths[tavrel::pnCOM1] = path;
    driver.SetDevicePaths(paths);
    driver.SetComPort(tavrel::pnCOM1);
    driver.SetComPortSpeed(rate);
    return driver.OpenPort();
}

void BM_BurstToReceiveEvent(benchmark::State& state) {
    tavrel::testing::TempDir dir;
    tavrel::testing::IrsimProcess irsim({.linkPath = dir.file("ttyIR"), .absoluteTime = true});
    if (!irsim.started()) {
        state.SkipWithError("irsim did not start");
        return;
    }
    EventLoop loop;
    tavrel::TCommPortDriver driver(loop, loop);
    Clock::time_point deliveredAt;
    std::size_t received = 0;
    driver.SetOnReceiveData([&](tavrel::Receiver&, const std::uint8_t*, std::int32_t size) {
        deliveredAt = Clock::now();
        received += static_cast<std::size_t>(size);
    });
    if (!OpenOn(driver, dir.file("ttyIR"), tavrel::br19200)) {
        state.SkipWithError(driver.LastError().c_str());
        return;
    }

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> phase(0, 50'000);
    std::vector<double> latencies;
    std::size_t bursts = 0;
    for (auto _ : state) {
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
    ->Iterations(tavrel::bench::Runs(300))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Capture fed by the driver, with recognition counted instead of run.
struct CountingCapture {
    tavrel::CommandTable table;
    tavrel::SequenceSettings settings;
    tavrel::CodeCapture capture;
    int recognitions = 0;

    explicit CountingCapture(EventLoop& loop) : capture(loop, table, settings) {
        const int pos = table.appendCommand(table.appendRemote("TV"), "Up", 2);
        table.setCurrent(&table.record(pos));  // Typematic, as recognition leaves it
        settings.ShortestCodeLength = 6;
        capture.reconocer = [this](const tavrel::TSecuencia&) { ++recognitions; };
        // As for a table whose one code has six values.
        capture.outcomeSettled = [](const tavrel::TSecuencia& s) { return s.NumValores >= 6; };
        capture.PortActivated();
    }
};

// A pseudo-terminal's line read by the driver into counting capture.
struct CountedLine {
    Device device;
    EventLoop loop;
    tavrel::TCommPortDriver driver{loop, loop};
    CountingCapture counting{loop};

    // Skips the benchmark when the line does not open.
    bool open(benchmark::State& state, tavrel::TComPortBaudRate rate) {
        driver.SetOnReceiveData(
            [this](tavrel::Receiver&, const std::uint8_t* data, std::int32_t size) {
                counting.capture.CommPortReceiveData(data, size);
            });
        driver.SetOnBatchSoFar(
            [this](tavrel::Receiver&, const std::uint8_t* data, std::int32_t size) {
                counting.capture.CommPortBatchSoFar(data, size);
            });
        if (!OpenOn(driver, device.slavePath(), rate)) {
            state.SkipWithError(driver.LastError().c_str());
            return false;
        }
        return true;
    }
};

// Args: baud of the byte spacing (0: bursts written whole).
void BM_HeldButtonRepeats(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    CountedLine line;
    if (!line.open(state, baud == 9600 ? tavrel::br9600 : tavrel::br19200)) {
        return;
    }
    Device& device = line.device;
    EventLoop& loop = line.loop;
    CountingCapture& counting = line.counting;
    std::vector<int> counts;
    for (auto _ : state) {
        counting.recognitions = 0;
        std::atomic<bool> done = false;
        std::thread writer([&] {
            const auto start = Clock::now() + std::chrono::milliseconds(20);
            for (int t = 0; t < 3000; t += 110) {
                Device::SleepUntil(start + std::chrono::milliseconds(t));
                device.send(kBurst, baud);
            }
            done = true;
        });
        loop.runUntil([&] { return done.load(); }, Clock::now() + std::chrono::seconds(5),
                      std::chrono::milliseconds(5));
        writer.join();
        loop.runUntil([] { return false; }, Clock::now() + std::chrono::milliseconds(300));
        counts.push_back(counting.recognitions);
    }
    // 28 bursts in 3 s: the first recognised, the next four dropped, then one
    // repeat per burst.
    state.counters["recognitions_min"] = *std::min_element(counts.begin(), counts.end());
    state.counters["recognitions_max"] = *std::max_element(counts.begin(), counts.end());
    state.counters["expected"] = 1 + (28 - 5);
}
BENCHMARK(BM_HeldButtonRepeats)
    ->Arg(0)
    ->Arg(9600)
    ->Arg(19200)
    ->Iterations(tavrel::bench::Runs(3))
    ->Unit(benchmark::kSecond);

void BM_IdleWakeUpsPerSecond(benchmark::State& state) {
    CountedLine line;
    if (!line.open(state, tavrel::br19200)) {
        return;
    }
    EventLoop& loop = line.loop;
    // The start-up handshake's timer runs once after the activation.
    loop.runUntil([] { return false; }, Clock::now() + std::chrono::milliseconds(500));
    const int seconds = 10;
    for (auto _ : state) {
        loop.wakeUps = 0;
        loop.runUntil([] { return false; }, Clock::now() + std::chrono::seconds(seconds));
    }
    state.counters["wakeups_per_s"] = static_cast<double>(loop.wakeUps) / seconds;
}
BENCHMARK(BM_IdleWakeUpsPerSecond)->Iterations(1)->Unit(benchmark::kSecond);

#ifdef TAVREL_BENCH_X11
// Args: baud of the byte spacing (0: bursts written whole). From the write
// of a press's first byte to the KeyPress at a real client window.
void BM_PressToKeyPress(benchmark::State& state) {
    const int baud = static_cast<int>(state.range(0));
    const auto target = tavrel::bench::OpenFocusedTarget(state, "tavrel press target");
    if (!target) {
        return;
    }
    tavrel::Input& input = target.backend->input();
    tavrel::Desktop& desktop = target.backend->desktop();
    const tavrel::test::TestWindow& window = *target.window;

    Device device;
    EventLoop loop;
    tavrel::FakeEventLog log;
    tavrel::FakeProcesses processes(log);
    tavrel::CommandTable table;
    tavrel::SequenceSettings settings;
    tavrel::TSendKeys sendKeys(input, desktop);
    tavrel::ProgramState mode;
    mode.setEditMode(false);
    mode.setSonido(false);
    tavrel::ActionRunner runner(input, desktop, processes, sendKeys, table, mode, loop);
    tavrel::bench::QuietRecognitionHost host;
    tavrel::PosixFileSystem files;  // no log file: nothing is written
    tavrel::ReceivingRoad road(
        {loop, loop, table, settings, mode, target.backend->sound(), files, runner, runner, host});
    const int pos = table.appendCommand(table.appendRemote("TV"), "k", 2);
    tavrel::TComando& command = table.record(pos);
    for (std::size_t i = 0; i < kBurst.size(); ++i) {
        command.Codigo.Valores[i] = kBurst[i];
    }
    command.Codigo.NumValores = static_cast<std::int32_t>(kBurst.size());
    command.Acciones->push_back("0=\xA1SendKeys\xA1NNNNk");
    settings.ShortestCodeLength = command.Codigo.NumValores;

    if (!OpenOn(road.serial(), device.slavePath(),
                baud == 9600 ? tavrel::br9600 : tavrel::br19200)) {
        state.SkipWithError(road.receiver().LastError().c_str());
        return;
    }
    road.receiverOpened();

    std::mt19937 random(4242);
    std::uniform_int_distribution<int> phase(0, 50'000);
    std::vector<double> latencies;
    int missed = 0;
    for (auto _ : state) {
        // More than the 150 ms that end a burst, so every press is a new one.
        loop.runUntil([] { return false; }, Clock::now() + std::chrono::milliseconds(160) +
                                                std::chrono::microseconds(phase(random)));
        const std::size_t seen = window.records().keys.size();
        Clock::time_point firstWrite;
        std::thread writer([&] { firstWrite = device.send(kBurst, baud); });
        const bool arrived = loop.runUntil(
            [&] {
                const auto keys = window.records().keys;
                return keys.size() > seen &&
                       std::any_of(keys.begin() + static_cast<long>(seen), keys.end(),
                                   [](const auto& k) { return k.press; });
            },
            Clock::now() + std::chrono::seconds(2), std::chrono::microseconds(200));
        writer.join();
        if (!arrived) {
            // A writer stalled for longer than the end of a burst (a loaded
            // machine) cuts the press in two halves that match nothing.
            ++missed;
            state.SetIterationTime(2.0);
            continue;
        }
        const auto keys = window.records().keys;
        const auto press = std::find_if(keys.begin() + static_cast<long>(seen), keys.end(),
                                        [](const auto& k) { return k.press; });
        const double latency =
            std::chrono::duration<double, std::milli>(press->at - firstWrite).count();
        latencies.push_back(latency);
        state.SetIterationTime(latency / 1000.0);
    }
    state.counters["median_ms"] = Percentile(latencies, 0.5);
    state.counters["p99_ms"] = Percentile(latencies, 0.99);
    state.counters["max_ms"] = Percentile(latencies, 1.0);
    state.counters["missed"] = missed;
}
BENCHMARK(BM_PressToKeyPress)
    ->Arg(0)
    ->Arg(9600)
    ->Iterations(tavrel::bench::Runs(320))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
