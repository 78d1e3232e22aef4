// The commands-file loader: any file loads, and what Save/Run writes of it
// loads back to the very same file (one save settles every hand edit). A
// file that is no commands file (not text, or no section) is reported at the
// load and never written over.
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
    const std::string original(reinterpret_cast<const char*>(bytes), size);
    files.files[path] = original;
    const LoadResult loaded = commands.Load();
    const bool refused = commands.SaveRun(ProgramSettings{}).has_value();
    if (!loaded.readError.empty()) {
        if (!refused || files.files[path] != original) {
            std::abort();
        }
        return 0;
    }
    if (refused) {
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
