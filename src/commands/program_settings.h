// The program settings file "tavrel.ini": which commands, translation and log
// files to use, the File menu switches, and the device of each COM port.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "commands/safe_file_write.h"
#include "platform/file_system.h"

namespace tavrel {

class IniFile;

constexpr char kProgramSettingsFileName[] = "tavrel.ini";
constexpr char kDefaultCommandsFileName[] = "vorkumel.ini";
constexpr int kPortCount = 8;

struct ProgramSettings {
    std::string Settings;          // the commands file path
    std::string Language;          // the translation file path; empty: no translation
    std::string LogFile;           // the log file path; empty: no log
    bool Sonido = true;            // beep on every recognised command
    bool AdvancedKeyPress = true;  // File > Advanced key press
    bool Arranque = false;         // File > Load minimized
    // File > Show recognised commands; files from before the option lack it.
    bool ShowCommands = false;
    // Device of COM1..COM8, from section Ports; only the receiver picker writes it.
    std::array<std::string, kPortCount> Ports;
    // Why the file that exists could not be used, so the defaults stand in
    // (UnableToRead's message); empty when it was read or is missing.
    std::string ReadProblem;
};

std::string DefaultPortDevice(int comNumber);  // COMn -> /dev/ttyS(n-1)

class ProgramSettingsFile {
public:
    // programDirectory: where "tavrel.ini" and the default commands file live.
    ProgramSettingsFile(FileSystem& files, std::string programDirectory);

    const std::string& path() const { return path_; }
    std::string defaultCommandsFilePath() const;
    // The commands file that settings name: Settings, or the default when empty.
    std::string commandsFilePath(const ProgramSettings& settings) const;

    // A missing, unreadable or garbled file gives the defaults; ReadProblem
    // says why for the last two.
    ProgramSettings read() const;
    // Settings of section Files; the default also when the value is empty.
    std::string readCommandsFilePath() const;

    // Updates the seven keys in place (Settings, Language, LogFile of Files,
    // then Sonido, AdvancedKeyPress, Arranque, ShowCommands of Config); every
    // other line stays.
    std::optional<WriteFailure> write(const ProgramSettings& settings) const;
    // Maps COMn (1..8) to device in section Ports: the receiver picker's one
    // write to that section. Every other line stays as it was.
    std::optional<WriteFailure> writePortDevice(int comNumber, const std::string& device) const;

private:
    std::optional<WriteFailure> update(const std::function<void(IniFile&)>& change) const;

    FileSystem& files_;
    std::string directory_;
    std::string path_;
};

}  // namespace tavrel
