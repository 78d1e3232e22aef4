// Time from a keybd_event call until the key press reaches a client window
// of the same X server (median and 99th percentile), and the X round trips a
// key event costs, alone and as a command's action. Run under scripts/xstack.
// clang-format off
// The core's headers before Xlib's, whose macros clash with their names.
#include "actions/action_runner.h"
#include "actions/send_keys.h"
#include "commands/command_table.h"
#include "commands/program_state.h"
#include "platform/fake/fake_platform.h"
#include "platform/fake/virtual_clock.h"
#include "platform/windows.h"
#include "bench_target.h"
#include "smoke.h"
// clang-format on
#include <dlfcn.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>

// Every round trip of Xlib waits for its reply here, twice (Xlib asks once for
// the reply and once for what may follow it); counted on the thread that asks
// for it to be counted (the test window reads on a thread of its own).
namespace {
thread_local bool t_counting = false;
thread_local long t_roundTrips = 0;
}  // namespace

extern "C" void* xcb_wait_for_reply64(xcb_connection_t* c, std::uint64_t request,
                                      xcb_generic_error_t** e) {
    using Real = void* (*)(xcb_connection_t*, std::uint64_t, xcb_generic_error_t**);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "xcb_wait_for_reply64"));
    if (t_counting) {
        ++t_roundTrips;
    }
    return real(c, request, e);
}

namespace {

using Clock = std::chrono::steady_clock;

void KeyPressLatency(benchmark::State& state) {
    const auto target = tavrel::bench::OpenFocusedTarget(state, "tavrel latency target");
    if (!target) {
        return;
    }
    tavrel::Input& input = target.backend->input();
    tavrel::test::TestWindow& window = *target.window;
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
BENCHMARK(KeyPressLatency)
    ->UseManualTime()
    ->Iterations(tavrel::bench::Runs(2000))
    ->Unit(benchmark::kMicrosecond);

// Round trips per key event: a bare keybd_event press and release, and a
// command whose action types a word with no destination window (the action
// also reads the locked modifiers, and its first key checks that the keyboard
// focus has settled).
void RoundTripsPerKeyEvent(benchmark::State& state) {
    // Keys go to a focused client, as they do on a desktop in use.
    const auto target = tavrel::bench::OpenFocusedTarget(state, "tavrel round trip target");
    if (!target) {
        return;
    }
    tavrel::Input& input = target.backend->input();
    tavrel::Desktop& desktop = target.backend->desktop();
    tavrel::VirtualClock clock;
    tavrel::FakeEventLog log;
    tavrel::FakeProcesses processes(log);
    tavrel::TSendKeys sendKeys(input, desktop);
    tavrel::CommandTable table;
    tavrel::ProgramState mode;
    tavrel::ActionRunner runner(input, desktop, processes, sendKeys, table, mode, clock);
    const int pos = table.appendCommand(table.appendRemote("TV"), "k", 2);
    tavrel::TComando& command = table.record(pos);
    command.Acciones->push_back("0=\xA1SendKeys\xA1NNNNhello");
    // Warm: the keyboard map is read once, at the first use.
    runner.RunCommandActions(command);
    long bare = 0;
    long run = 0;
    std::int64_t runs = 0;
    for (auto _ : state) {
        t_counting = true;
        t_roundTrips = 0;
        input.keybd_event('K', 0, 0);
        input.keybd_event('K', 0, tavrel::KEYEVENTF_KEYUP);
        bare += t_roundTrips;
        t_roundTrips = 0;
        runner.RunCommandActions(command);
        run += t_roundTrips;
        t_counting = false;
        ++runs;
    }
    // A press and a release per letter; two waits per round trip.
    state.counters["keybd_event_round_trips"] = static_cast<double>(bare) / (2.0 * 2.0 * runs);
    state.counters["command_round_trips_per_key_event"] =
        static_cast<double>(run) / (2.0 * 10.0 * runs);
}
BENCHMARK(RoundTripsPerKeyEvent)->Iterations(tavrel::bench::Runs(200));

}  // namespace

BENCHMARK_MAIN();
