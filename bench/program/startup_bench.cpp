// Measures how long the real program takes from exec to the end of its first
// activation, and how much memory it keeps, with 100 commands and with 10,000. Needs an X display
// (run it under scripts/xstack). The receiver's 'I' arrives exactly 100 ms after
// the last port activation, which is the last step of start-up, so irsim's
// timestamp of it tells when start-up ended.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

using tavrel::bench::ProgramRun;
using tavrel::bench::ProgramSetup;

constexpr double kStartUpByteDelayMs = 100.0;

long ResidentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

struct Run {
    double startUpMs = -1;
    long residentKb = -1;
};

// Starts the program and ends it once its start-up is over.
Run StartOnce(ProgramRun& tavrel) {
    const double started = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
    if (!tavrel.start()) {
        return {};
    }
    Run run;
    if (tavrel.waitForPortOpen()) {
        run.startUpMs = tavrel.startUpByteMilliseconds() - kStartUpByteDelayMs - started;
        usleep(500 * 1000);  // let the first paint and the tray settle before reading memory
        run.residentKb = ResidentKilobytes(tavrel.program().pid());
    }
    tavrel.program().stop(SIGTERM, 10000);
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void Report(const char* name, bool loadMinimized, int runs, int remotes = 5,
            int commandsPerRemote = 20) {
    std::vector<double> times;
    std::vector<double> memory;
    // As at every login after the first: the files are as the program last
    // wrote them, which the first start (not counted) makes them.
    ProgramRun tavrel(ProgramSetup{loadMinimized, remotes, commandsPerRemote});
    if (!tavrel.ready()) {
        return;
    }
    StartOnce(tavrel);
    for (int i = 0; i < runs; ++i) {
        const Run run = StartOnce(tavrel);
        if (run.startUpMs >= 0) {
            times.push_back(run.startUpMs);
            memory.push_back(static_cast<double>(run.residentKb));
        }
    }
    std::printf(
        "%-34s runs %2zu  start-up median %7.1f ms (min %7.1f, max %7.1f)  RSS median %7.0f KiB\n",
        name, times.size(), Median(times),
        times.empty() ? -1 : *std::min_element(times.begin(), times.end()),
        times.empty() ? -1 : *std::max_element(times.begin(), times.end()), Median(memory));
}

}  // namespace

int main(int argc, char** argv) {
    if (getenv("DISPLAY") == nullptr) {
        std::cerr << "startup_bench needs an X display; run it under scripts/xstack\n";
        return 2;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    Report("editing mode (first activation)", false, runs);
    Report("Load minimized (running mode)", true, runs);
    // A large collection: 100 remotes of 100 commands.
    Report("10,000 commands, editing mode", false, runs, 100, 100);
    Report("10,000 commands, Load minimized", true, runs, 100, 100);
    return 0;
}
