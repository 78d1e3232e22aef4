// Measures how long the real program takes from exec to the end of its first
// activation, and how much memory it keeps, with 100 commands and with 10,000. Needs an X display
// (run it under scripts/xstack). The receiver's 'I' arrives exactly 100 ms after
// the last port activation, which is the last step of start-up, so irsim's
// timestamp of it tells when start-up ended.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "child_process.h"
#include "irsim_process.h"
#include "large_table.h"

namespace {

using tavrel::bench::LargeCommandsFile;
using tavrel::bench::ProgramSettings;
using tavrel::bench::WriteFile;
using tavrel::testing::ChildProcess;
using tavrel::testing::IrsimOptions;
using tavrel::testing::IrsimProcess;
using tavrel::testing::TempDir;

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

// A program directory with its settings and a commands file, and the
// receiver the settings name.
class Setup {
public:
    Setup(bool loadMinimized, int remotes, int commandsPerRemote)
        : program_(dir_.file("tavrel")),
          irsim_(IrsimOptions{.linkPath = dir_.file("ttyIR"), .absoluteTime = true}) {
        std::filesystem::copy_file(TAVREL_PROGRAM_PATH, program_);
        chmod(program_.c_str(), 0755);
        WriteFile(dir_.file("tavrel.ini"),
                  ProgramSettings(dir_.file("vorkumel.ini"), loadMinimized, dir_.file("ttyIR")));
        WriteFile(dir_.file("vorkumel.ini"), LargeCommandsFile(remotes, commandsPerRemote));
    }

    // Starts the program and ends it once its start-up is over.
    Run StartOnce() {
        if (!irsim_.started()) {
            return {};
        }
        const std::size_t seen = irsim_.events("rx").size();
        const double started = std::chrono::duration<double, std::milli>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count();
        ChildProcess tavrel;
        if (!tavrel.start({program_})) {
            return {};
        }
        Run run;
        if (irsim_.waitForEvents("rx", seen + 2, 20000)) {
            run.startUpMs = irsim_.events("rx")[seen].milliseconds - kStartUpByteDelayMs - started;
            usleep(500 * 1000);  // let the first paint and the tray settle before reading memory
            run.residentKb = ResidentKilobytes(tavrel.pid());
        }
        tavrel.stop(SIGTERM, 10000);
        return run;
    }

private:
    TempDir dir_;
    std::string program_;
    IrsimProcess irsim_;
};

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
    Setup setup(loadMinimized, remotes, commandsPerRemote);
    setup.StartOnce();
    for (int i = 0; i < runs; ++i) {
        const Run run = setup.StartOnce();
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
