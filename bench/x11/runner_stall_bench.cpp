// The longest time the action runner keeps the event loop from running, on
// the real desktop: the gaps between calls of the message pump that the
// program hands over, from the press to the end of the run. Reports the
// longest gap of all iterations. Run under scripts/xstack (US layout).
// clang-format off
#include "runner_parts.h"
#include "bench_target.h"
// clang-format on
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "smoke.h"

namespace {

using Clock = std::chrono::steady_clock;
using tavrel::test::TestWindow;

// Measures the gaps between the pump's calls during one run.
class StallProbe {
public:
    void Start() { last_ = Clock::now(); }
    void Pump() {
        const auto now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        last_ = now;
    }
    double LongestMs() const { return std::chrono::duration<double, std::milli>(longest_).count(); }

private:
    Clock::time_point last_;
    Clock::duration longest_{};
};

void MeasureStall(benchmark::State& state, const std::string& action, const std::string& target) {
    // The window that has the focus before the run.
    const auto previous = tavrel::bench::OpenFocusedTarget(state, "tavrel stall previous");
    if (!previous) {
        return;
    }
    tavrel::X11Backend& backend = *previous.backend;
    TestWindow clock("tavrel stall clock", TestWindow::TitleKind::Utf8,
                     TestWindow::Focus::Declines);
    tavrel::test::RunnerParts parts(backend.input(), backend.desktop());
    StallProbe probe;
    const std::function<void()> pump = [&probe] { probe.Pump(); };
    parts.sendKeys.setMessagePump(pump);
    backend.setMessagePump(pump);
    tavrel::TComando& command = parts.Command(action, target);
    for (auto _ : state) {
        probe.Start();
        parts.runner.RunCommandActions(command);
        probe.Pump();
    }
    state.counters["longest_stall_ms"] = probe.LongestMs();
}

// A pointer move with a destination window that declines the focus.
void PointerMoveToAWindowThatDeclinesFocus(benchmark::State& state) {
    MeasureStall(state, tavrel::MakeMouseAction('N', 'U', 'N'), "stall clock");
}
BENCHMARK(PointerMoveToAWindowThatDeclinesFocus)
    ->Iterations(tavrel::bench::Runs(5))
    ->Unit(benchmark::kMillisecond);

// Thirty euro signs, which the US layout lacks: each goes through a spare keycode.
void TextThroughSpareKeycodes(benchmark::State& state) {
    MeasureStall(state,
                 tavrel::MakeTapKeyAction(false, false, false, true, std::string(30, '\x80')), "");
}
BENCHMARK(TextThroughSpareKeycodes)
    ->Iterations(tavrel::bench::Runs(3))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
