// The real program in running mode, from the burst written to the line to the
// KeyPress at a real X client, for a command without variants and for one
// with three: the desktop is then asked for the active application on every
// press, which the X11 backend answers from what it heard of the last focus
// change, and the third variant, the client's, runs. Both type "a". Run it
// under scripts/xstack.
#include <X11/keysym.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
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

constexpr char kClass[] = "TavrelBench";

// One remote, one command: entry 2 with its code and a tap key.
std::string CommandsFile(bool variants) {
    const auto tap = [](const char* key) {
        return std::string("0=\xA1SendKeys\xA1NNNN") + key + "\r\n";
    };
    std::string text =
        "[Config]\r\nPuerto=2\r\nTolerance=0\r\nNumComandos=2\r\n[Comandos]\r\n1=Bench\r\n"
        "2=Play\r\n[1]\r\nLevel=0\r\n[2]\r\nLevel=1\r\nCodigo=" +
        tavrel::bench::CodeOfEntry(2) + "\r\n" + tap(variants ? "b" : "a");
    if (variants) {
        text += "[2.1]\r\nApplication=TavrelOther\r\n" + tap("b") +
                "[2.2]\r\nApplication=TavrelBench\r\nTitle=elsewhere\r\n" + tap("b") +
                "[2.3]\r\nApplication=" + kClass + "\r\n" + tap("a");
    }
    return text;
}

// Milliseconds from irsim's write of each burst to the client's KeyPress of "a".
void PressToKey(benchmark::State& state, bool variants) {
    tavrel::bench::ProgramRun run{{.loadMinimized = true, .remotes = 1, .commandsPerRemote = 1}};
    tavrel::bench::WriteFile(run.file("vorkumel.ini"), CommandsFile(variants));
    if (!run.ready() || !run.start() || !run.waitForPortOpen()) {
        state.SkipWithError("the program or its receiver did not start");
        return;
    }
    const auto target = tavrel::bench::OpenFocusedTarget(state, "variant target", kClass);
    if (target) {
        // The receiver's answer to the start-up bytes is a burst of its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        tavrel::testing::IrsimProcess& irsim = run.irsim();
        std::vector<double> delays;
        for (auto _ : state) {
            const std::size_t before = target.window->records().keys.size();
            const std::size_t bursts = irsim.events("send").size();
            irsim.send("send " + tavrel::bench::CodeOfEntry(2) + "\n");
            double delay = -1;
            tavrel::test::WaitUntil(
                [&] {
                    if (!irsim.waitForEvents("send", bursts + 1, 5)) {
                        return false;
                    }
                    const auto keys = target.window->records().keys;
                    for (std::size_t k = before; k < keys.size(); ++k) {
                        if (keys[k].press && keys[k].keysym == XK_a) {
                            const double at = std::chrono::duration<double, std::milli>(
                                                  keys[k].at.time_since_epoch())
                                                  .count();
                            delay = at - irsim.events("send")[bursts].milliseconds;
                        }
                    }
                    return delay >= 0;
                },
                std::chrono::seconds(3));
            if (delay >= 0) {
                delays.push_back(delay);
            }
            state.SetIterationTime(std::max(delay, 0.0) / 1000.0);
            // Past the 150 ms that end a burst, so the next one is a press of its own.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        state.counters["key_median_ms"] = Percentile(delays, 0.5);
        state.counters["key_p99_ms"] = Percentile(delays, 0.99);
        state.counters["n"] = static_cast<double>(delays.size());
    }
    run.program().stop(SIGTERM, 10000);
}

void BM_PressWithoutVariants(benchmark::State& state) {
    PressToKey(state, false);
}
void BM_PressWithVariants(benchmark::State& state) {
    PressToKey(state, true);
}
BENCHMARK(BM_PressWithoutVariants)
    ->Iterations(tavrel::bench::Runs(200))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PressWithVariants)
    ->Iterations(tavrel::bench::Runs(200))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
