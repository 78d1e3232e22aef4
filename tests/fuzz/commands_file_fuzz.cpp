// The commands-file loader: any file loads, and what Save/Run writes of it
// loads back to the very same file (one save settles every hand edit). A
// file that is no commands file (not text, or no section) is reported at the
// load and never written over. Of the commands' variants, every one loaded is
// written and loads back; a file that holds sections named like variants
// which the load did not take in is kept in the backup first.
#include <cstdlib>

#include "../support/silent_host.h"
#include "commands/commands_file.h"
#include "commands/variant_sections.h"
#include "memory_file_system.h"

namespace {

std::size_t Variants(const tavrel::CommandTable& table) {
    std::size_t count = 0;
    for (int i = 0; i < table.count(); ++i) {
        if (table.isCommand(i)) {
            count += table.record(i).Variantes.size();
        }
    }
    return count;
}

}  // namespace

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
    const std::size_t variantsLoaded = Variants(table);
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
    const bool leftOut = VariantSections(IniFile(original)).all().size() > variantsLoaded;
    if (Variants(table) != variantsLoaded ||
        (leftOut && files.files[commands.backupKept()] != original)) {
        std::abort();
    }
    return 0;
}
