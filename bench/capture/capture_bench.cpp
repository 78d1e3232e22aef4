// Speed of settling and recognising one press against a large table (with
// its log line and without), and proof that capture handles a batch without
// allocating.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "capture/code_capture.h"
#include "capture/recognizer.h"
#include "platform/fake/virtual_clock.h"
#include "platform/posix/posix_file_system.h"
#include "quiet_recognition_host.h"

namespace {

// Every allocation of the program goes through here, so a benchmark can tell
// how many its loop made.
std::size_t allocations = 0;

void* Allocate(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

using namespace tavrel;

constexpr int kRemotes = 10;
constexpr int kCommandsPerRemote = 1000;
constexpr std::int32_t kCodeLength = 16;

TSecuencia CodeOf(int command) {
    TSecuencia code;
    code.NumValores = kCodeLength;
    for (std::int32_t i = 0; i < kCodeLength; ++i) {
        code.Valores[static_cast<std::size_t>(i)] = 1000 + command * 16 + i;
    }
    return code;
}

class NoSound : public Sound {
public:
    void Beep() override {}
};

class CountingRunner : public CommandRunner {
public:
    void RunCommandActions(TComando&) override { ++runs; }
    std::int64_t runs = 0;
};

void BM_RecognizeLastOf10000(benchmark::State& state) {
    CommandTable table;
    int last = 0;
    for (int r = 0; r < kRemotes; ++r) {
        const int remote = table.appendRemote("Remote");
        for (int c = 0; c < kCommandsPerRemote; ++c) {
            const int pos = table.appendCommand(remote, "Command", 0);
            table.record(pos).Codigo = CodeOf(r * kCommandsPerRemote + c);
            last = pos;
        }
    }
    SequenceSettings settings;
    NoSound sound;
    CountingRunner runner;
    ProgramState mode;
    bench::QuietRecognitionHost host;
    PosixFileSystem files;  // no log file: nothing is written
    Recognizer recognizer(table, settings, mode, sound, files, runner, host);
    mode.setEditMode(false);
    // With a log file, each recognition also appends its line there.
    const std::filesystem::path log = std::filesystem::temp_directory_path() /
                                      ("tavrel-bench-" + std::to_string(getpid()) + ".log");
    if (state.range(0) != 0) {
        mode.setLogPath(log.string());
    }
    // As a press arrives: the bytes so far settle the outcome, and then
    // recognition runs without waiting for the line to fall silent.
    const TSecuencia press = CodeOf(kRemotes * kCommandsPerRemote - 1);
    for (auto _ : state) {
        if (recognizer.Settled(press)) {
            recognizer.Reconocer(press);
        }
    }
    if (table.selected() != last || runner.runs != static_cast<std::int64_t>(state.iterations())) {
        state.SkipWithError("the last command was not recognised");
    }
    state.counters["commands"] = kRemotes * kCommandsPerRemote;
    std::filesystem::remove(log);
}
BENCHMARK(BM_RecognizeLastOf10000)
    ->ArgName("logged")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond);

// One six-byte batch, with no code learned so that no recognition starts,
// and the end of its burst.
void BM_CaptureBatch(benchmark::State& state) {
    VirtualClock clock;
    CommandTable table;
    SequenceSettings settings;
    CodeCapture capture(clock, table, settings);
    capture.PortActivated();
    const std::uint8_t batch[] = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
    const std::size_t before = allocations;
    for (auto _ : state) {
        capture.CommPortReceiveData(batch, sizeof batch);
        capture.TemporizadorTimer();
        benchmark::DoNotOptimize(capture.SecuenciaActual);
    }
    const std::size_t made = allocations - before;
    state.counters["allocations"] = static_cast<double>(made);
    if (made != 0) {
        state.SkipWithError("capture allocated while handling batches");
    }
}
BENCHMARK(BM_CaptureBatch);

}  // namespace

BENCHMARK_MAIN();
