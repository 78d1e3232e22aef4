// Time from a keybd_event call until the key press reaches a client window,
// side by side in one run: the X11 backend (XTest) to an X client on the X
// desktop, and the Wayland backend (the compositor's virtual keyboard) to a
// Wayland client under sway. Run under scripts/xstack scripts/waystack: the
// X desktop is the one named by TAVREL_OUTER_DISPLAY, which waystack keeps.
// clang-format off
#include "bench_target.h"
#include "smoke.h"
#include "wayland_test_window.h"
// clang-format on

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "platform/wayland/wayland_backend.h"
#include "platform/windows.h"

namespace {

using Clock = std::chrono::steady_clock;

// Presses and releases A on input until iterations are done; each press timed
// to its arrival at the client.
void Measure(benchmark::State& state, tavrel::Input& input, tavrel::test::TestClient& client) {
    std::vector<double> micros;
    std::size_t seen = client.records().keys.size();
    for (auto _ : state) {
        const auto start = Clock::now();
        input.keybd_event('A', 0, 0);
        client.WaitFor([&](const tavrel::test::WindowRecords& r) { return r.keys.size() > seen; });
        const auto arrived = client.records().keys.back().at;
        const double elapsed = std::chrono::duration<double>(arrived - start).count();
        state.SetIterationTime(elapsed);
        micros.push_back(elapsed * 1e6);
        input.keybd_event('A', 0, tavrel::KEYEVENTF_KEYUP);
        client.WaitFor(
            [&](const tavrel::test::WindowRecords& r) { return r.keys.size() > seen + 1; });
        seen = client.records().keys.size();
    }
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        state.counters["median_us"] = micros[micros.size() / 2];
        state.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    }
}

void KeyPressLatencyX11(benchmark::State& state) {
    if (const char* outer = std::getenv("TAVREL_OUTER_DISPLAY"); outer != nullptr) {
        setenv("DISPLAY", outer, 1);  // the X desktop, not XWayland
    }
    const auto target = tavrel::bench::OpenFocusedTarget(state, "tavrel latency target");
    if (target) {
        Measure(state, target.backend->input(), *target.window);
    }
}

void KeyPressLatencyWayland(benchmark::State& state) {
    tavrel::DesktopBackendOpen opened = tavrel::WaylandBackend::Open({});
    if (!opened.backend ||
        !static_cast<tavrel::WaylandBackend&>(*opened.backend).virtualKeyboard()) {
        state.SkipWithError(("no virtual keyboard: " + opened.problem).c_str());
        return;
    }
    tavrel::Desktop& desktop = opened.backend->desktop();
    tavrel::test::WaylandTestWindow window("tavrel latency target");
    const bool focused = tavrel::test::WaitUntil([&] {
        if (const auto found = desktop.FindWindow("tavrel latency target");
            found != tavrel::kNoWindow) {
            desktop.RaiseAndActivate(found);
        }
        return window.records().focused;
    });
    if (!focused) {
        state.SkipWithError("the target window never got the focus");
        return;
    }
    Measure(state, opened.backend->input(), window);
}

BENCHMARK(KeyPressLatencyX11)
    ->UseManualTime()
    ->Iterations(tavrel::bench::Runs(1000))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(KeyPressLatencyWayland)
    ->UseManualTime()
    ->Iterations(tavrel::bench::Runs(1000))
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
