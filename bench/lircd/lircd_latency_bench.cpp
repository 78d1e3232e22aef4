// From a SIMULATE line written to the real LIRC daemon to the KeyPress at a
// real X client, two ways in the same run, press for press: the real tavrel
// program reading the daemon's socket, and the daemon's usual companion,
// irexec, starting "xdotool key". Run it under scripts/xstack.
#include <X11/keysym.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "bench_target.h"
#include "child_process.h"
#include "lircd_process.h"
#include "percentile.h"
#include "smoke.h"
#include "temp_dir.h"

namespace {

using tavrel::bench::Percentile;

using Clock = std::chrono::steady_clock;
using tavrel::testing::ChildProcess;
using tavrel::testing::LircdProcess;
using tavrel::testing::TempDir;

constexpr std::uint64_t kTavrelCode = 0x00FF18E7;  // KEY_UP: tavrel types 'a'
constexpr std::uint64_t kIrexecCode = 0x00FF4AB5;  // KEY_DOWN: irexec runs xdotool key b

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto until = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// A client connection that writes SIMULATE lines as irsend does, kept open
// so that no process start is part of what is measured.
class DaemonWriter {
public:
    explicit DaemonWriter(const std::string& socketPath)
        : fd_(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un where{};
        where.sun_family = AF_UNIX;
        std::strncpy(where.sun_path, socketPath.c_str(), sizeof where.sun_path - 1);
        ok_ =
            fd_ >= 0 && connect(fd_, reinterpret_cast<const sockaddr*>(&where), sizeof where) == 0;
    }
    ~DaemonWriter() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    DaemonWriter(const DaemonWriter&) = delete;
    DaemonWriter& operator=(const DaemonWriter&) = delete;
    bool ok() const { return ok_; }

    // Returns when the line was written.
    Clock::time_point simulate(std::uint64_t code, const char* button) {
        const std::string line = "SIMULATE " + LircdProcess::EventLine(code, 0, button) + "\n";
        const Clock::time_point at = Clock::now();
        if (write(fd_, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
            ok_ = false;
        }
        return at;
    }
    // The daemon's replies (and the events it sends this client too).
    void drain() {
        char buffer[4096];
        while (recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) > 0) {
        }
    }

private:
    int fd_;
    bool ok_ = false;
};

// The real program with one learned command on the daemon, typing into
// whatever window has the focus.
struct TavrelOnTheDaemon {
    TempDir dir;
    ChildProcess child;

    bool start(const std::string& socketPath) {
        const std::string program = dir.file("tavrel");
        std::filesystem::copy_file(TAVREL_PROGRAM_PATH, program);
        chmod(program.c_str(), 0755);
        std::ofstream(dir.file("tavrel.ini"), std::ios::binary)
            << "[Config]\r\nArranque=1\r\nSonido=0\r\n[Ports]\r\nCOM2=lircd:" << socketPath
            << "\r\n";
        std::ofstream(dir.file("vorkumel.ini"), std::ios::binary)
            << "[Config]\r\nPuerto=2\r\nNumComandos=2\r\n[Comandos]\r\n1=Remote\r\n2=Up\r\n"
               "[1]\r\nLevel=0\r\n[2]\r\nLevel=1\r\nCodigo=0000000000FF18E7\r\n"
               "0=\xA1SendKeys\xA1NNNNa\r\n";
        const int out = open(dir.file("tavrel.out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        std::vector<std::string> environment;
        for (char** at = environ; *at != nullptr; ++at) {
            environment.emplace_back(*at);
        }
        environment.emplace_back("TAVREL_TRACE=1");
        const bool started =
            child.start({program}, {.input = -1, .output = out, .error = out}, &environment);
        close(out);
        // Connected: its trace says so.
        return started && WaitFor(
                              [&] {
                                  return ReadFile(dir.file("tavrel.out")).find("lircd open") !=
                                         std::string::npos;
                              },
                              std::chrono::seconds(20));
    }
    ~TavrelOnTheDaemon() { child.stop(SIGTERM, 10000); }
};

void BM_DaemonLineToKeyPress(benchmark::State& state) {
    if (!LircdProcess::Available()) {
        state.SkipWithError("lircd is not installed (scripts/install-deps test)");
        return;
    }
    TempDir dir;
    LircdProcess daemon(dir.path());
    if (!daemon.started()) {
        state.SkipWithError("lircd did not start");
        return;
    }
    TavrelOnTheDaemon tavrel;
    if (!tavrel.start(daemon.socketPath())) {
        state.SkipWithError("tavrel did not connect to the daemon");
        return;
    }
    std::ofstream(dir.file("lircrc")) << "begin\n    prog = irexec\n    button = KEY_DOWN\n"
                                         "    config = xdotool key b\nend\n";
    std::vector<std::string> environment;
    for (char** at = environ; *at != nullptr; ++at) {
        environment.emplace_back(*at);
    }
    environment.push_back("LIRC_SOCKET_PATH=" + daemon.socketPath());
    ChildProcess irexec;
    const int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    const bool irexecStarted =
        irexec.start({"/usr/bin/irexec", dir.file("lircrc")},
                     {.input = -1, .output = quiet, .error = quiet}, &environment);
    close(quiet);
    DaemonWriter writer(daemon.socketPath());
    if (!irexecStarted || !writer.ok()) {
        state.SkipWithError("irexec or the writing client did not start");
        return;
    }
    // The program went to the tray; the target takes the focus after it.
    const auto target = tavrel::bench::OpenFocusedTarget(state, "lircd press target");
    if (!target) {
        return;
    }
    const tavrel::test::TestWindow& window = *target.window;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // irexec connects

    // Writes the line and waits for the key's press at the window; the
    // latency in ms, or -1 when it never came.
    const auto measure = [&](std::uint64_t code, const char* button, unsigned long keysym) {
        const std::size_t seen = window.records().keys.size();
        const Clock::time_point written = writer.simulate(code, button);
        double latency = -1;
        tavrel::test::WaitUntil(
            [&] {
                const auto keys = window.records().keys;
                const auto press = std::find_if(
                    keys.begin() + static_cast<long>(std::min(seen, keys.size())), keys.end(),
                    [&](const auto& k) { return k.press && k.keysym == keysym; });
                if (press == keys.end()) {
                    return false;
                }
                latency = std::chrono::duration<double, std::milli>(press->at - written).count();
                return true;
            },
            std::chrono::seconds(3));
        writer.drain();
        // Past the 150 ms that end a burst, so the next line is a press of its own.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        return latency;
    };

    std::vector<double> viaTavrel;
    std::vector<double> viaIrexec;
    for (auto _ : state) {
        const double ours = measure(kTavrelCode, "KEY_UP", XK_a);
        const double theirs = measure(kIrexecCode, "KEY_DOWN", XK_b);
        if (ours >= 0) {
            viaTavrel.push_back(ours);
        }
        if (theirs >= 0) {
            viaIrexec.push_back(theirs);
        }
        state.SetIterationTime(std::max(ours, 0.0) / 1000.0);
    }
    irexec.stop(SIGTERM, 5000);
    const double ours = Percentile(viaTavrel, 0.5);
    const double theirs = Percentile(viaIrexec, 0.5);
    state.counters["tavrel_median_ms"] = ours;
    state.counters["tavrel_p99_ms"] = Percentile(viaTavrel, 0.99);
    state.counters["irexec_median_ms"] = theirs;
    state.counters["irexec_p99_ms"] = Percentile(viaIrexec, 0.99);
    state.counters["median_ratio"] = ours > 0 ? theirs / ours : 0;
    state.counters["tavrel_n"] = static_cast<double>(viaTavrel.size());
    state.counters["irexec_n"] = static_cast<double>(viaIrexec.size());
}
BENCHMARK(BM_DaemonLineToKeyPress)
    // A press that never arrives within 3 s is left out of its side's n.
    ->Iterations(tavrel::bench::Runs(320))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
