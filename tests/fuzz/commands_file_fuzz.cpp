// The commands-file loader: any file loads, and what Save/Run writes of it
// loads back to the very same file (one save settles every hand edit).
#include <cstdlib>

#include "../support/silent_host.h"
#include "commands/commands_file.h"
#include "memory_file_system.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    using namespace tavrel;
    fuzzing::MemoryFileSystem files;
    ProgramSettingsFile settingsFile(files, "/p");
    CommandTable table;
    SequenceSettings sequence;
    testing::SilentHost host;
    CommandsFile commands(table, sequence, host, files, settingsFile);

    const std::string path = settingsFile.defaultCommandsFilePath();
    files.files[path] = std::string(reinterpret_cast<const char*>(bytes), size);
    (void)commands.Load();
    if (commands.SaveRun(ProgramSettings{})) {
        std::abort();
    }
    const std::string saved = files.files[path];
    table.clear();
    (void)commands.Load();
    if (CommandsFile::Serialize(table, sequence, host.ports) != saved) {
        std::abort();
    }
    return 0;
}
