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
    Program(const TempDir& dir, const std::string& address, bool loadMinimized) : dir_(dir) {
        if (const char* other = std::getenv("TAVREL_PROGRAM")) {
            std::filesystem::copy_file(other, dir.file("tavrel"));
        }
        PutDaemonPrograms(dir, address, loadMinimized);
        process_ = std::make_unique<ProgramProcess>(dir.path());
        process_->start({}, {"TAVREL_TRACE=1"});
        if (!loadMinimized) {
            WaitFor([this] { return !(window_ = MainWindow()).empty(); }, 20);
        }
    }
    ~Program() { process_->terminate(3000); }

    const std::string& window() const { return window_; }
    std::string title() const { return RunCommand("xdotool getwindowname " + window_); }
    ProgramProcess& process() { return *process_; }

private:
    const TempDir& dir_;
    std::unique_ptr<ProgramProcess> process_;
    std::string window_;
};

void Report(const char* what, const WindowPinger& pinger) {
    std::printf("%-52s worst gap %6lld ms (%d answers)\n", what,
                static_cast<long long>(pinger.worstGapMs()), pinger.answers());
    std::fflush(stdout);
}

void Flood() {
    TempDir dir;
    DaemonStandIn daemon(dir.file("lircd"), Behaviour::Floods,
                         LircdProcess::EventLine(kDaemonCode, 0, "KEY_UP") + "\n");
    Program program(dir, "lircd:" + dir.file("lircd"), false);
    WaitFor([&] { return daemon.linesWritten() > 1000; }, 20);
    WindowPinger pinger(std::stoul(program.window()));
    Sleep(5);
    Report("a daemon floods it (5 s of press lines)", pinger);
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
    WindowPinger pinger(std::stoul(program.window()));
    for (int i = 0; i < (Smoke() ? 1 : 6); ++i) {
        OpenAndCloseSettings(program.window());
    }
    Sleep(2);
    Report("the settings opened 6 times, a daemon takes no one", pinger);
}

// The program in editing mode on address, pinged for that long.
void PingWhileItTries(const char* what, const std::string& address, int seconds) {
    TempDir dir;
    Program program(dir, address, false);
    WindowPinger pinger(std::stoul(program.window()));
    Sleep(seconds);
    Report(what, pinger);
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
    WindowPinger pinger(std::stoul(program.window()));
    SetLoopbackUp(false);
    const Clock::time_point gone = Clock::now();
    const bool seen = WaitFor([&] { return program.title().find("Inactive") != std::string::npos; },
                              Smoke() ? 1 : 40);
    const auto seconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gone).count() / 1000.0;
    SetLoopbackUp(true);
    Report("the daemon's machine vanishes", pinger);
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
    Program program(dir, "lircd:" + daemon.socketPath(), true);
    const auto connected = [&] {
        const std::string out = program.process().output();
        const auto open = out.rfind("lircd open");
        const auto closed = out.rfind("lircd closed");
        return open != std::string::npos && (closed == std::string::npos || open > closed);
    };
    WaitFor(connected, 20);
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

int main() {
    std::string why;
    const bool network =
        EnterPrivateNetwork(why) && BindEtcFile("hosts",
                                                "127.0.0.1 localhost tavrel-daemon.test\n"
                                                "::1 tavrel-daemon.test\n",
                                                why);
    Flood();
    if (!network) {
        std::printf("the cases on a network of their own: left out (%s)\n", why.c_str());
        Restart();
        return 0;
    }
    DeviceList();
    const SilentNameServer names;
    if (names.problem().empty()) {
        NameServer();
    } else {
        std::printf("a name server never answers: left out (%s)\n", names.problem().c_str());
    }
    AddressesNobodyAnswers();
    Vanished();
    Restart();
    return 0;
}
