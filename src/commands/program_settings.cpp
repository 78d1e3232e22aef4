// The program settings file "tavrel.ini".
#include "commands/program_settings.h"

#include "commands/ini_file.h"
#include "platform/serial_device.h"

namespace tavrel {
namespace {

IniFile ReadIni(const FileSystem& files, const std::string& path) {
    const FileContents contents = files.readFile(path);
    return contents.status.ok() ? IniFile(contents.bytes) : IniFile();
}

}  // namespace

std::string DefaultPortDevice(int comNumber) {
    return DefaultSerialDevice(comNumber);
}

ProgramSettingsFile::ProgramSettingsFile(FileSystem& files, std::string programDirectory)
    : files_(files),
      directory_(std::move(programDirectory)),
      path_(JoinPath(directory_, kProgramSettingsFileName)) {}

std::string ProgramSettingsFile::defaultCommandsFilePath() const {
    return JoinPath(directory_, kDefaultCommandsFileName);
}

ProgramSettings ProgramSettingsFile::read() const {
    const IniFile ini = ReadIni(files_, path_);
    ProgramSettings s;
    s.Settings = ini.readString("Files", "Settings", "");
    if (s.Settings.empty()) {
        s.Settings = defaultCommandsFilePath();
    }
    s.Language = ini.readString("Files", "Language", "");
    s.LogFile = ini.readString("Files", "LogFile", "");
    s.Arranque = ini.readBool("Config", "Arranque", false);
    s.AdvancedKeyPress = ini.readBool("Config", "AdvancedKeyPress", true);
    s.Sonido = ini.readBool("Config", "Sonido", true);
    s.ShowCommands = ini.readBool("Config", "ShowCommands", false);
    for (int n = 1; n <= kPortCount; ++n) {
        std::string device = ini.readString("Ports", "COM" + std::to_string(n), "");
        s.Ports[static_cast<std::size_t>(n - 1)] =
            device.empty() ? DefaultPortDevice(n) : std::move(device);
    }
    return s;
}

std::string ProgramSettingsFile::readCommandsFilePath() const {
    return read().Settings;
}

std::optional<WriteFailure> ProgramSettingsFile::write(const ProgramSettings& settings) const {
    FileContents old;
    if (files_.exists(path_)) {
        old = files_.readFile(path_);
        // Rewriting a file we could not read would lose the lines we keep.
        if (!old.status.ok()) {
            return WriteFailure{path_, old.status.error};
        }
    }
    IniFile ini(old.bytes);
    ini.write("Files", "Settings", settings.Settings);
    ini.write("Files", "Language", settings.Language);
    ini.write("Files", "LogFile", settings.LogFile);
    ini.writeBool("Config", "Sonido", settings.Sonido);
    ini.writeBool("Config", "AdvancedKeyPress", settings.AdvancedKeyPress);
    ini.writeBool("Config", "Arranque", settings.Arranque);
    ini.writeBool("Config", "ShowCommands", settings.ShowCommands);
    return ReplaceFileContents(files_, path_, ini.bytes());
}

}  // namespace tavrel
