// The program settings file "tavrel.ini".
#include "commands/program_settings.h"

#include "commands/ini_file.h"
#include "platform/serial_device.h"

namespace tavrel {
namespace {

IniFile ReadIni(const FileSystem& files, const std::string& path, std::string& problem) {
    IniFileRead read = ReadIniFile(files, path);
    if (!read.problem.empty()) {
        problem = UnableToRead(path, read.problem);
    }
    return std::move(read.ini);
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

std::string ProgramSettingsFile::commandsFilePath(const ProgramSettings& settings) const {
    return settings.Settings.empty() ? defaultCommandsFilePath() : settings.Settings;
}

ProgramSettings ProgramSettingsFile::read() const {
    ProgramSettings s;
    const IniFile ini = ReadIni(files_, path_, s.ReadProblem);
    s.Settings = ini.readString("Files", "Settings", "");
    s.Settings = commandsFilePath(s);
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

// Keys are updated in the file as it stands; a file that exists but cannot be
// read, or is no INI file, is never rewritten, since that would lose the lines
// we keep.
std::optional<WriteFailure> ProgramSettingsFile::update(
    const std::function<void(IniFile&)>& change) const {
    IniFileRead read = ReadIniFile(files_, path_);
    if (!read.problem.empty()) {
        return WriteFailure{path_, std::move(read.problem)};
    }
    change(read.ini);
    return ReplaceFileContents(files_, path_, read.ini.bytes(), ReadCheck::ByCaller);
}

std::optional<WriteFailure> ProgramSettingsFile::writePortDevice(int comNumber,
                                                                 const std::string& device) const {
    return update(
        [&](IniFile& ini) { ini.write("Ports", "COM" + std::to_string(comNumber), device); });
}

std::optional<WriteFailure> ProgramSettingsFile::write(const ProgramSettings& settings) const {
    return update([&settings](IniFile& ini) {
        ini.write("Files", "Settings", settings.Settings);
        ini.write("Files", "Language", settings.Language);
        ini.write("Files", "LogFile", settings.LogFile);
        ini.writeBool("Config", "Sonido", settings.Sonido);
        ini.writeBool("Config", "AdvancedKeyPress", settings.AdvancedKeyPress);
        ini.writeBool("Config", "Arranque", settings.Arranque);
        ini.writeBool("Config", "ShowCommands", settings.ShowCommands);
    });
}

}  // namespace tavrel
