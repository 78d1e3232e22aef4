// ProgramRun: the scratch directory, the files and the two processes.
#include "program_run.h"

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>

namespace tavrel::bench {
namespace {

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

}  // namespace

ProgramRun::ProgramRun(const ProgramSetup& setup)
    : irsim_(testing::IrsimOptions{.linkPath = dir_.file("ttyIR"), .absoluteTime = true}) {
    std::filesystem::copy_file(TAVREL_PROGRAM_PATH, dir_.file("tavrel"));
    chmod(dir_.file("tavrel").c_str(), 0755);
    dir_.put("tavrel.ini", "[Files]\r\nSettings=" + dir_.file("vorkumel.ini") +
                               "\r\n[Config]\r\nArranque=" + (setup.loadMinimized ? "1" : "0") +
                               "\r\nSonido=0\r\n[Ports]\r\nCOM2=" + dir_.file("ttyIR") + "\r\n");
    dir_.put("vorkumel.ini", CommandsFile(setup.remotes, setup.commandsPerRemote));
}

bool ProgramRun::start() {
    return program_.start({dir_.file("tavrel")});
}

}  // namespace tavrel::bench
