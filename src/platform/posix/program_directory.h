// Where the program keeps its settings, commands and log files.
#pragma once

#include <filesystem>

namespace tavrel {

// The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute
// path, else ~/.config; xdgConfigHome and home may be null or empty.
std::filesystem::path ConfigHome(const char* xdgConfigHome, const char* home);
std::filesystem::path ConfigHome();

// The running executable; empty when the system does not say.
std::filesystem::path ExecutablePath();
// The directory of the running executable (the working directory when the
// system does not say).
std::filesystem::path ExecutableDirectory();

// The executable's directory when it is writable and not that of an installed
// copy (see DataDirectory); otherwise
// $XDG_CONFIG_HOME/tavrel (default ~/.config/tavrel), created on first use.
std::filesystem::path ProgramDirectory();

// The rule of ProgramDirectory with its inputs given; xdgConfigHome and home
// may be null or empty.
std::filesystem::path ChooseProgramDirectory(const std::filesystem::path& executableDirectory,
                                             const char* xdgConfigHome, const char* home);

// Where the help pages and translation files are: beside the executable in a
// build tree (it has a help folder), else the data directory of an installed
// copy, share/tavrel next to its bin directory.
std::filesystem::path DataDirectory();

// The rule of DataDirectory with its inputs given; installedRelative leads
// from the executable's directory to the installed data directory.
std::filesystem::path ChooseDataDirectory(const std::filesystem::path& executableDirectory,
                                          const std::filesystem::path& installedRelative);

}  // namespace tavrel
