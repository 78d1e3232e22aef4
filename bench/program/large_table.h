// A commands file of many remotes and learned commands, as a user with a
// large collection has it, and the settings that make the real program load
// it, for the benchmarks that start the program.
#pragma once

#include <cstdio>
#include <fstream>
#include <string>

namespace tavrel::bench {

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The burst of entry e: six values that no other entry shares (no tolerance,
// and the first value, which matching skips, the same for all).
inline std::string CodeOfEntry(int e) {
    char code[16];
    std::snprintf(code, sizeof code, "01%02X%02X3C%02X%02X", (e >> 8) & 0xFF, e & 0xFF,
                  (e >> 8) & 0xFF, e & 0xFF);
    return code;
}

// remotes remotes of commandsPerRemote commands each. The first command types
// 'a', the last types 'b', every other one a key nobody listens for.
inline std::string LargeCommandsFile(int remotes, int commandsPerRemote) {
    const int entries = remotes * (commandsPerRemote + 1);
    std::string text =
        "[Config]\r\nPuerto=2\r\nVelocidad=8\r\nParidad=0\r\nDataBits=3\r\n"
        "StopBits=0\r\nSkipFirst=1\r\nTolerance=0\r\nValueSize=1\r\nNumComandos=" +
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
        const std::string key = e == 2 ? "a" : e == entries ? "b" : "E9";
        text +=
            "Loop=1\r\nLoopActual=0\r\nDeVez=0\r\nMultiKey=0\r\nLevel=1\r\nTargetWindow=\r\n"
            "Activado=1\r\nTypematic=1\r\nRetraso=0\r\nCodigo=" +
            CodeOfEntry(e) + "\r\n0=\xA1SendKeys\xA1NNN" + (key.size() == 1 ? "N" : "") + key +
            "\r\n";
    }
    return text;
}

// tavrel.ini: the commands file, the start mode, the receiver on COM2, and
// optionally a log file.
inline std::string ProgramSettings(const std::string& commandsFile, bool loadMinimized,
                                   const std::string& port, const std::string& logFile = "") {
    return "[Files]\r\nSettings=" + commandsFile +
           (logFile.empty() ? "" : "\r\nLogFile=" + logFile) +
           "\r\n[Config]\r\nArranque=" + (loadMinimized ? "1" : "0") +
           "\r\nSonido=0\r\n[Ports]\r\nCOM2=" + port + "\r\n";
}

}  // namespace tavrel::bench
