// The settings reader and its in-place update: any file reads; a garbled one
// is never written over; after a write the seven keys read back as written
// and the port map is kept.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

#include "commands/program_settings.h"
#include "memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace tavrel;
    FuzzedDataProvider data(bytes, size);
    fuzzing::MemoryFileSystem files;
    const ProgramSettingsFile settingsFile(files, "/p");
    const std::string original = data.ConsumeRandomLengthString(4096);
    files.files[settingsFile.path()] = original;
    const ProgramSettings before = settingsFile.read();

    ProgramSettings wanted = before;
    wanted.Settings = data.ConsumeRandomLengthString(300);
    wanted.Language = data.ConsumeRandomLengthString(300);
    wanted.LogFile = data.ConsumeRandomLengthString(300);
    wanted.Sonido = data.ConsumeBool();
    wanted.AdvancedKeyPress = data.ConsumeBool();
    wanted.Arranque = data.ConsumeBool();
    wanted.ShowCommands = data.ConsumeBool();
    if (settingsFile.write(wanted)) {
        // Only a file that is no settings file is refused, and it is left as it was.
        if (before.ReadProblem.empty() || files.files[settingsFile.path()] != original) {
            std::abort();
        }
        return 0;
    }
    const ProgramSettings after = settingsFile.read();
    if (!before.ReadProblem.empty() || !after.ReadProblem.empty()) {
        return 0;  // a garbled file stays garbled: its defaults are read
    }
    const std::string settings = fuzzing::AsReadBack(wanted.Settings);
    const bool same =
        after.Settings == (settings.empty() ? settingsFile.defaultCommandsFilePath() : settings) &&
        after.Language == fuzzing::AsReadBack(wanted.Language) &&
        after.LogFile == fuzzing::AsReadBack(wanted.LogFile) && after.Sonido == wanted.Sonido &&
        after.AdvancedKeyPress == wanted.AdvancedKeyPress && after.Arranque == wanted.Arranque &&
        after.Ports == before.Ports;
    if (!same) {
        std::abort();
    }
    if (after.ShowCommands != wanted.ShowCommands) {
        std::abort();
    }
    return 0;
}
