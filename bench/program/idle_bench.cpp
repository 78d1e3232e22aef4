// Counts how often the real program wakes up while it idles in running mode
// with its port open (Load minimized, irsim as the receiver): the context
// switches of all its threads, voluntary and not, over 60 seconds
// (TAVREL_IDLE_SECONDS sets another length, TAVREL_BENCH_SMOKE two seconds),
// once with a notification area and once without, each after the start has
// settled (35 s: Qt's own tail of the start is over then). Run it on a desktop
// without a tray host (TAVREL_XSTACK_TRAY=0 scripts/xstack): it starts trayer.
#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>

#include "program_run.h"
#include "tray_host.h"

namespace {

using tavrel::bench::ProgramRun;
using tavrel::bench::ProgramSetup;
using tavrel::testing::TrayHost;

struct ThreadCount {
    std::string name;
    long switches = 0;
};

// Every thread of the process now, by its id.
std::map<int, ThreadCount> Threads(pid_t pid) {
    std::map<int, ThreadCount> threads;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (dir == nullptr) {
        return threads;
    }
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') {
            continue;
        }
        const std::string task = tasks + "/" + entry->d_name;
        ThreadCount count;
        std::getline(std::ifstream(task + "/comm"), count.name);
        std::ifstream status(task + "/status");
        for (std::string line; std::getline(status, line);) {
            if (line.find("ctxt_switches:") != std::string::npos) {
                count.switches += std::stol(line.substr(line.find(':') + 1));
            }
        }
        threads[std::atoi(entry->d_name)] = count;
    }
    closedir(dir);
    return threads;
}

bool PooledThreadsLeft(pid_t pid) {
    for (const auto& [id, thread] : Threads(pid)) {
        if (thread.name.rfind("Thread (pooled)", 0) == 0) {
            return true;
        }
    }
    return false;
}

void Measure(const char* name, bool withTray, int seconds, int settleSeconds) {
    std::optional<TrayHost> tray;
    if (withTray) {
        tray.emplace();
        sleep(1);  // until the panel owns the selection
    }
    ProgramRun tavrel(ProgramSetup{});
    if ((tray && !tray->started()) || !tavrel.ready() || !tavrel.start() ||
        !tavrel.waitForPortOpen()) {
        std::printf("%-26s could not be set up\n", name);
        return;
    }
    const pid_t pid = tavrel.program().pid();
    // Qt's own tail of the start: its pixmap cache looks for old entries once,
    // 30 s after the first paint, and the pooled threads its painting lent
    // work to end 30 s after their last job; one wake-up each, then nothing.
    sleep(static_cast<unsigned>(settleSeconds));
    for (int waited = 0; waited < settleSeconds && PooledThreadsLeft(pid); ++waited) {
        sleep(1);
    }
    const std::map<int, ThreadCount> before = Threads(pid);
    sleep(static_cast<unsigned>(seconds));
    const std::map<int, ThreadCount> after = Threads(pid);
    long total = 0;
    std::string detail;
    for (const auto& [id, thread] : after) {
        const auto was = before.find(id);
        const long woke = thread.switches - (was == before.end() ? 0 : was->second.switches);
        total += woke;
        if (woke != 0) {
            detail += "  " + thread.name + " " + std::to_string(woke);
        }
    }
    for (const auto& [id, thread] : before) {
        if (after.count(id) == 0) {
            detail += "  (" + thread.name + " ended)";
        }
    }
    std::printf("%-26s %6.2f wake-ups/s (%ld in %d s)%s\n", name,
                static_cast<double>(total) / seconds, total, seconds, detail.c_str());
    tavrel.program().stop(SIGTERM, 10000);
}

}  // namespace

int main() {
    if (getenv("DISPLAY") == nullptr) {
        std::cerr << "idle_bench needs an X display; run it under TAVREL_XSTACK_TRAY=0 "
                     "scripts/xstack\n";
        return 2;
    }
    const char* trayHost = getenv("TAVREL_XSTACK_TRAY");
    if (trayHost == nullptr || std::string(trayHost) != "0") {
        std::cerr << "idle_bench needs a desktop without a tray host: TAVREL_XSTACK_TRAY=0 "
                     "scripts/xstack\n";
        return 2;
    }
    const bool smoke = getenv("TAVREL_BENCH_SMOKE") != nullptr;
    const char* length = getenv("TAVREL_IDLE_SECONDS");
    const int seconds = length != nullptr ? std::max(1, std::atoi(length)) : smoke ? 2 : 60;
    const int settleSeconds = smoke ? 1 : 35;
    Measure("with a notification area", true, seconds, settleSeconds);
    Measure("without one", false, seconds, settleSeconds);
    return 0;
}
