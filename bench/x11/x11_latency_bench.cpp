// Time from a keybd_event call until the key press reaches a client window
// of the same X server; reports the median and the 99th percentile.
// Run under scripts/xstack.
#include "test_window.h"
// clang-format off
#include <benchmark/benchmark.h>
// clang-format on

#include <algorithm>
#include <cstdio>

#include "platform/windows.h"
#include "platform/x11/x11_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

void KeyPressLatency(benchmark::State& state) {
    auto opened = tavrel::X11Backend::Open();
    if (!opened.backend) {
        state.SkipWithError(opened.problem.c_str());
        return;
    }
    tavrel::Input& input = opened.backend->input();
    tavrel::Desktop& desktop = opened.backend->desktop();
    tavrel::test::TestWindow window("tavrel latency target");
    const bool active = tavrel::test::WaitUntil([&] {
        desktop.RaiseAndActivate(window.id());
        return window.records().focused;
    });
    if (!active) {
        state.SkipWithError("the target window never got the focus");
        return;
    }
    std::vector<double> micros;
    std::size_t seen = window.records().keys.size();
    for (auto _ : state) {
        const auto start = Clock::now();
        input.keybd_event('A', 0, 0);
        window.WaitFor([&](const tavrel::test::WindowRecords& r) { return r.keys.size() > seen; });
        const auto arrived = window.records().keys.back().at;
        const double elapsed = std::chrono::duration<double>(arrived - start).count();
        state.SetIterationTime(elapsed);
        micros.push_back(elapsed * 1e6);
        input.keybd_event('A', 0, tavrel::KEYEVENTF_KEYUP);
        window.WaitFor(
            [&](const tavrel::test::WindowRecords& r) { return r.keys.size() > seen + 1; });
        seen = window.records().keys.size();
    }
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    }
}
BENCHMARK(KeyPressLatency)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
