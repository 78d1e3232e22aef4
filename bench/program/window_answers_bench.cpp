// How long the real program's window goes without answering (_NET_WM_PING
// every 50 ms, which Qt answers on its GUI thread) while the LIRC daemon at
// the other end misbehaves, case by case, and what follows a daemon that
// vanishes or restarts: the seconds until a vanished machine is seen gone,
// and the presses lost of 20 sent as soon as a restarted daemon answers.
// TAVREL_PROGRAM names another build of the program to measure (an older
// one, for a before and after). It enters a network and a mount namespace of
// its own (as root) for the name server that never answers, the hosts whose
// addresses do not answer, the machine that vanishes and the daemon at
// /run/lirc/lircd; without them those cases are left out. Run it under
// scripts/xstack; TAVREL_BENCH_SMOKE shortens every case to a second.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "daemon_stand_in.h"
#include "lircd_process.h"
#include "private_network.h"
#include "program_process.h"
#include "temp_dir.h"
#include "window_answers.h"
#include "window_pinger.h"

namespace {

using namespace tavrel::testing;
using Behaviour = DaemonStandIn::Behaviour;
using Clock = std::chrono::steady_clock;

bool Smoke() {
    return std::getenv("TAVREL_BENCH_SMOKE") != nullptr;
}

void Sleep(int seconds) {
    std::this_thread::sleep_for(Smoke() ? std::chrono::seconds(1) : std::chrono::seconds(seconds));
}

bool WaitFor(const std::function<bool()>& condition, int seconds) {
    const Clock::time_point end = Clock::now() + std::chrono::seconds(seconds);
    while (!condition() && Clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

// The program under measure in dir, started with COM2 on address.
class Program {
public:
    Program(const TempDir& dir, const std::string& address, bool loadMinimized,
            const std::string& action = "\xA1SendKeys\xA1NNNNup")
        : dir_(dir) {
        if (const char* other = std::getenv("TAVREL_PROGRAM")) {
            std::filesystem::copy_file(other, dir.file("tavrel"));
        }
        PutDaemonPrograms(dir, address, loadMinimized, action);
        process_ = std::make_unique<ProgramProcess>(dir.path());
        const Clock::time_point started = Clock::now();
        process_->start({}, {"TAVREL_TRACE=1"});
        if (!loadMinimized) {
            // The main window, or a box of the program's on its way to it:
            // either answers on the same thread.
            WaitFor(
                [this] {
                    const auto shown = FindWindows("--onlyvisible --name '^Tavrel'");
                    window_ = shown.empty() ? std::string() : shown.front();
                    return !window_.empty();
                },
                60);
            shownAfterMs_ =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started)
                    .count();
        }
    }
    ~Program() { process_->terminate(3000); }

    const std::string& window() const { return window_; }
    // From the start until the main window was there (60 s at the most).
    long long shownAfterMs() const { return shownAfterMs_; }
    std::string title() const {
        const std::string main = MainWindow();
        return main.empty() ? std::string() : RunCommand("xdotool getwindowname " + main);
    }
    ProgramProcess& process() { return *process_; }

private:
    const TempDir& dir_;
    std::unique_ptr<ProgramProcess> process_;
    std::string window_;
    long long shownAfterMs_ = 0;
};

// Pings the program's window, or nothing when it never came.
std::unique_ptr<WindowPinger> PingerOf(const Program& program) {
    if (program.window().empty()) {
        std::printf("  the window never came (%lld ms)\n", program.shownAfterMs());
        return nullptr;
    }
    return std::make_unique<WindowPinger>(std::stoul(program.window()));
}

void Report(const char* what, const Program& program, const WindowPinger* pinger) {
    if (pinger == nullptr) {
        std::printf("%-52s no window to ping\n", what);
    } else {
        std::printf("%-52s worst gap %6lld ms (%d answers), shown after %lld ms\n", what,
                    static_cast<long long>(pinger->worstGapMs()), pinger->answers(),
                    program.shownAfterMs());
    }
    std::fflush(stdout);
}

void Flood() {
    TempDir dir;
    DaemonStandIn daemon(dir.file("lircd"), Behaviour::Floods,
                         LircdProcess::EventLine(kDaemonCode, 0, "KEY_UP") + "\n");
    Program program(dir, "lircd:" + dir.file("lircd"), false);
    WaitFor([&] { return daemon.linesWritten() > 1000; }, 20);
    const auto pinger = PingerOf(program);
    Sleep(5);
    Report("a daemon floods it (5 s of press lines)", program, pinger.get());
    const Clock::time_point asked = Clock::now();
    program.process().terminate(20000);
    std::printf(
        "%-52s %6lld ms\n", "  SIGTERM during the flood, to the end",
        static_cast<long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - asked).count()));
}

void DeviceList() {
    std::string why;
    if (!MountEmptyFolder("/run/lirc", why)) {
        std::printf("the settings' device list: left out (%s)\n", why.c_str());
        return;
    }
    TempDir dir;
    DaemonStandIn daemon("/run/lirc/lircd", Behaviour::NeverAccepts);
    DaemonStandIn port(dir.file("lircd"), Behaviour::Silent);
    Program program(dir, "lircd:" + dir.file("lircd"), false);
    const auto pinger = PingerOf(program);
    for (int i = 0; i < (Smoke() ? 1 : 6); ++i) {
        OpenAndCloseSettings(program.window());
    }
    Sleep(2);
    Report("the settings opened 6 times, a daemon takes no one", program, pinger.get());
}

// The program in editing mode on address, pinged for that long.
void PingWhileItTries(const char* what, const std::string& address, int seconds) {
    TempDir dir;
    Program program(dir, address, false);
    const auto pinger = PingerOf(program);
    Sleep(seconds);
    Report(what, program, pinger.get());
}

void NameServer() {
    PingWhileItTries("a name server never answers (14 s)", "lircd:tavrel-silent.test:8765", 14);
}

void AddressesNobodyAnswers() {
    const auto v4 = DaemonStandIn::OnTcp("127.0.0.1", Behaviour::NeverAccepts, {}, 8765);
    const auto v6 = DaemonStandIn::OnTcp("::1", Behaviour::NeverAccepts, {}, 8765);
    PingWhileItTries("no address of the host answers (two of them, 5 s)",
                     "lircd:tavrel-daemon.test:8765", 5);
}

void Vanished() {
    const auto daemon = DaemonStandIn::OnTcp("127.0.0.1", Behaviour::Silent);
    TempDir dir;
    Program program(dir, "lircd:127.0.0.1:" + std::to_string(daemon->port()), false);
    WaitFor([&] { return program.title().find("Activated") != std::string::npos; }, 10);
    const auto pinger = PingerOf(program);
    SetLoopbackUp(false);
    const Clock::time_point gone = Clock::now();
    const bool seen = WaitFor([&] { return program.title().find("Inactive") != std::string::npos; },
                              Smoke() ? 1 : 40);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gone).count() / 1000.0;
    SetLoopbackUp(true);
    Report("the daemon's machine vanishes", program, pinger.get());
    if (seen) {
        std::printf("%-52s %6.1f s\n", "  seen gone after", seconds);
    } else {
        std::printf("%-52s never (%.0f s)\n", "  seen gone after", seconds);
    }
}

void Restart() {
    if (!LircdProcess::Available()) {
        std::printf("a restarted daemon: left out (no lircd)\n");
        return;
    }
    TempDir dir;
    LircdProcess daemon(dir.path());
    // Logged and nothing else: typing with no window in front waits, and
    // presses that come meanwhile are read as one hold.
    Program program(dir, "lircd:" + daemon.socketPath(), true, "");
    const auto connected = [&] { return DaemonConnected(program.process().output()); };
    // Connected again after the reload that the start's Save/Run ends with,
    // its icon in the tray.
    WaitFor([&] { return FindWindows("--onlyvisible --class tavrel").size() == 1 && connected(); },
            20);
    daemon.stop();
    WaitFor([&] { return !connected(); }, 10);
    daemon.start();
    const int presses = Smoke() ? 2 : 20;
    for (int i = 0; i < presses; ++i) {
        daemon.simulate(kDaemonCode, 0, "KEY_UP");
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const std::string log = dir.get("tavrel.log");
    int logged = 0;
    for (auto at = log.find("Remote,Up"); at != std::string::npos;
         at = log.find("Remote,Up", at + 1)) {
        ++logged;
    }
    std::printf("%-52s %d of %d lost\n", "a restarted daemon, presses from its first answer",
                presses - logged, presses);
}

}  // namespace

int main(int argc, char* argv[]) {
    // One case by its name (flood, settings, names, addresses, vanish,
    // restart), or all of them.
    const std::string only = argc > 1 ? argv[1] : "";
    const auto run = [&only](const char* name, void (*measure)()) {
        if (only.empty() || only == name) {
            measure();
        }
    };
    std::string why;
    const bool network =
        EnterPrivateNetwork(why) && BindEtcFile("hosts",
                                                "127.0.0.1 localhost tavrel-daemon.test\n"
                                                "::1 tavrel-daemon.test\n",
                                                why);
    run("flood", Flood);
    if (network) {
        run("settings", DeviceList);
        const SilentNameServer names;
        if (names.problem().empty()) {
            run("names", NameServer);
        } else {
            std::printf("a name server never answers: left out (%s)\n", names.problem().c_str());
        }
        run("addresses", AddressesNobodyAnswers);
        run("vanish", Vanished);
    } else {
        std::printf("the cases on a network of their own: left out (%s)\n", why.c_str());
    }
    run("restart", Restart);
    return 0;
}
