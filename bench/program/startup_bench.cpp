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

namespace {

using tavrel::testing::ChildProcess;
using tavrel::testing::IrsimOptions;
using tavrel::testing::IrsimProcess;
using tavrel::testing::TempDir;

constexpr double kStartUpByteDelayMs = 100.0;

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A commands file of a few remotes with learned commands, as a user has it.
std::string CommandsFile(int remotes, int commandsPerRemote) {
    const int entries = remotes * (commandsPerRemote + 1);
    std::string text =
        "[Config]\r\nPuerto=2\r\nVelocidad=8\r\nParidad=0\r\nDataBits=3\r\n"
        "StopBits=0\r\nSkipFirst=1\r\nTolerance=4\r\nValueSize=1\r\nNumComandos=" +
        std::to_string(entries) + "\r\n\r\n[Comandos]\r\n";
    for (int e = 1; e <= entries; ++e) {
        text += std::to_string(e) + "=Entry " + std::to_string(e) + "\r\n";
    }
    for (int e = 1; e <= entries; ++e) {
        const bool remote = (e - 1) % (commandsPerRemote + 1) == 0;
        text += "\r\n[" + std::to_string(e) + "]\r\n";
        if (remote) {
            text += "Level=0\r\n";
            continue;
        }
        char code[32];
        std::snprintf(code, sizeof code, "%02X%02X%02X%02X%02X%02X", e & 0xFF, 0x1F, 0x3C, e & 0xFF,
                      0x1F, 0x3C);
        text +=
            "Loop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\nTargetWindow=\r\n"
            "Activado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=" +
            std::string(code) + "\r\n0=\xA1SendKeys\xA1NNNE9\r\n";
    }
    return text;
}

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

Run StartOnce(bool loadMinimized, int remotes, int commandsPerRemote) {
    TempDir dir;
    const std::string program = dir.file("tavrel");
    std::filesystem::copy_file(TAVREL_PROGRAM_PATH, program);
    chmod(program.c_str(), 0755);
    IrsimProcess irsim(IrsimOptions{.linkPath = dir.file("ttyIR"), .absoluteTime = true});
    if (!irsim.started()) {
        return {};
    }
    WriteFile(dir.file("tavrel.ini"),
              std::string("[Files]\r\nSettings=") + dir.file("vorkumel.ini") +
                  "\r\n[Config]\r\nArranque=" + (loadMinimized ? "1" : "0") +
                  "\r\nSonido=0\r\n[Ports]\r\nCOM2=" + dir.file("ttyIR") + "\r\n");
    WriteFile(dir.file("vorkumel.ini"), CommandsFile(remotes, commandsPerRemote));

    const double started = std::chrono::duration<double, std::milli>(
                               std::chrono::steady_clock::now().time_since_epoch())
                               .count();
    ChildProcess tavrel;
    if (!tavrel.start({program})) {
        return {};
    }
    Run run;
    if (irsim.waitForEvents("rx", 2, 20000)) {
        run.startUpMs = irsim.events("rx").front().milliseconds - kStartUpByteDelayMs - started;
        usleep(500 * 1000);  // let the first paint and the tray settle before reading memory
        run.residentKb = ResidentKilobytes(tavrel.pid());
    }
    tavrel.stop(SIGTERM, 10000);
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
    for (int i = 0; i < runs; ++i) {
        const Run run = StartOnce(loadMinimized, remotes, commandsPerRemote);
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
