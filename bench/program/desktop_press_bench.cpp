// The real program in running mode on each desktop's own way in, side by
// side in one run: from the burst written to the line to the key press at a
// client, through XTest to an X client (the X desktop), through GNOME's
// remote desktop to a Wayland client (mutter) and through KWin's fake input
// to a Wayland client (KWin). Run it as
//   scripts/xstack scripts/waystack --mutter scripts/waystack --kwin desktop_press_bench
// A desktop that is not there is skipped.
#include <X11/keysym.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_target.h"
#include "large_table.h"
#include "percentile.h"
#include "program_run.h"
#include "smoke.h"
#include "wayland_test_window.h"

namespace {

using Clock = std::chrono::steady_clock;
using tavrel::bench::Percentile;

enum class Way { XTest, GnomeRemoteDesktop, KwinFakeInput };

double Milliseconds(Clock::time_point at) {
    return std::chrono::duration<double, std::milli>(at.time_since_epoch()).count();
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Points this process, and so the program it starts, at one desktop only.
// Empty when it is there; else why not.
std::string Enter(Way way) {
    if (way == Way::XTest) {
        const std::string display = Variable("TAVREL_OUTER_DISPLAY");
        if (display.empty()) {
            return "no X desktop (run under scripts/xstack and scripts/waystack)";
        }
        setenv("DISPLAY", display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        unsetenv("DBUS_SESSION_BUS_ADDRESS");
        return {};
    }
    const char* name = way == Way::GnomeRemoteDesktop ? "MUTTER" : "KWIN";
    const std::string display = Variable((std::string("TAVREL_") + name + "_DISPLAY").c_str());
    if (display.empty()) {
        return std::string("no ") + name + " desktop (run under scripts/waystack --" +
               (way == Way::GnomeRemoteDesktop ? "mutter" : "kwin") + ")";
    }
    setenv("WAYLAND_DISPLAY", display.c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS",
           Variable((std::string("TAVREL_") + name + "_BUS").c_str()).c_str(), 1);
    unsetenv("DISPLAY");
    return {};
}

// The program's copy, installed for KWin: its menu entry names it.
void InstallForKwin(const std::string& executable) {
    std::ofstream(Variable("TAVREL_KWIN_APPLICATIONS") + "/tavrel-bench.desktop")
        << "[Desktop Entry]\nType=Application\nName=Tavrel\nExec=" << executable
        << "\nX-KDE-Wayland-Interfaces=org_kde_kwin_fake_input,org_kde_plasma_window_management\n";
}

// A client with the focus on the desktop entered: an X window, or a new
// Wayland window (a new window gets the focus on mutter and KWin).
struct Target {
    tavrel::bench::FocusedTarget x;
    std::unique_ptr<tavrel::test::WaylandTestWindow> wayland;
    tavrel::test::TestClient* client = nullptr;
};

Target OpenTarget(benchmark::State& state, Way way) {
    Target target;
    if (way == Way::XTest) {
        target.x = tavrel::bench::OpenFocusedTarget(state, "desktop press target");
        target.client = target.x.window.get();
        return target;
    }
    target.wayland = std::make_unique<tavrel::test::WaylandTestWindow>("desktop press target");
    if (!target.wayland->WaitFor([](const auto& r) { return r.focused; })) {
        state.SkipWithError("the target window never got the focus");
        return {};
    }
    target.client = target.wayland.get();
    return target;
}

void PressToKey(benchmark::State& state, Way way) {
    if (const std::string missing = Enter(way); !missing.empty()) {
        state.SkipWithError(missing.c_str());
        return;
    }
    tavrel::bench::ProgramRun run{tavrel::bench::ProgramSetup{.loadMinimized = true}};
    if (way == Way::KwinFakeInput) {
        InstallForKwin(run.file("tavrel"));
    }
    if (!run.ready() || !run.start() || !run.waitForPortOpen()) {
        state.SkipWithError("the program or its receiver did not start");
        return;
    }
    const Target target = OpenTarget(state, way);
    if (target.client == nullptr) {
        run.program().stop(SIGTERM, 10000);
        return;
    }
    // The receiver's answer to the start-up bytes is a burst of its own.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    std::vector<double> toKey;
    for (auto _ : state) {
        const std::size_t keysSeen = target.client->records().keys.size();
        const std::size_t sent = run.irsim().events("send").size();
        run.irsim().send("send " + tavrel::bench::CodeOfEntry(2) + "\n");
        double key = -1;
        tavrel::test::WaitUntil(
            [&] {
                if (!run.irsim().waitForEvents("send", sent + 1, 5)) {
                    return false;
                }
                const double written = run.irsim().events("send")[sent].milliseconds;
                const auto keys = target.client->records().keys;
                for (std::size_t i = keysSeen; i < keys.size(); ++i) {
                    if (keys[i].press && keys[i].keysym == XK_a) {
                        key = Milliseconds(keys[i].at) - written;
                        return true;
                    }
                }
                return false;
            },
            std::chrono::seconds(3));
        if (key >= 0) {
            toKey.push_back(key);
        }
        state.SetIterationTime(std::max(key, 0.0) / 1000.0);
        // Past the 150 ms that end a burst, so the next one is a press of its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    run.program().stop(SIGTERM, 10000);
    state.counters["key_median_ms"] = Percentile(toKey, 0.5);
    state.counters["key_p99_ms"] = Percentile(toKey, 0.99);
    state.counters["n"] = static_cast<double>(toKey.size());
}

void BM_PressToKeyX11XTest(benchmark::State& state) {
    PressToKey(state, Way::XTest);
}
void BM_PressToKeyGnomeRemoteDesktop(benchmark::State& state) {
    PressToKey(state, Way::GnomeRemoteDesktop);
}
void BM_PressToKeyPlasmaFakeInput(benchmark::State& state) {
    PressToKey(state, Way::KwinFakeInput);
}
BENCHMARK(BM_PressToKeyX11XTest)
    ->Iterations(tavrel::bench::Runs(100))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PressToKeyGnomeRemoteDesktop)
    ->Iterations(tavrel::bench::Runs(100))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PressToKeyPlasmaFakeInput)
    ->Iterations(tavrel::bench::Runs(100))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
