// Where the program keeps its settings, commands and log files.
#pragma once

#include <filesystem>

namespace tavrel {

// The directory of the running executable.
std::filesystem::path ExecutableDirectory();

// The executable's directory when it is writable; otherwise
// $XDG_CONFIG_HOME/tavrel (default ~/.config/tavrel), created on first use.
std::filesystem::path ProgramDirectory();

// The rule of ProgramDirectory with its inputs given; xdgConfigHome and home
// may be null or empty.
std::filesystem::path ChooseProgramDirectory(const std::filesystem::path& executableDirectory,
                                             const char* xdgConfigHome, const char* home);

}  // namespace tavrel
