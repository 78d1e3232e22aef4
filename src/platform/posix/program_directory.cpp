// The program directory: next to the executable, or the user's configuration
// directory for an installed copy.
#include "platform/posix/program_directory.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

// The install layout decides this; a build without it assumes the usual one.
#ifndef TAVREL_INSTALLED_DATA
#define TAVREL_INSTALLED_DATA "../share/tavrel"
#endif

namespace tavrel {

std::filesystem::path ExecutablePath() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable;
}

std::filesystem::path ExecutableDirectory() {
    const std::filesystem::path executable = ExecutablePath();
    std::error_code error;
    return executable.empty() ? std::filesystem::current_path(error) : executable.parent_path();
}

namespace {

bool HasHelp(const std::filesystem::path& directory) {
    std::error_code error;
    return std::filesystem::is_directory(directory / "help", error);
}

// An installed copy: no help beside the executable, but in the data directory.
// Its bin directory may be writable (root), and is still no place for files.
bool Installed(const std::filesystem::path& executableDirectory) {
    return !HasHelp(executableDirectory) && HasHelp(executableDirectory / TAVREL_INSTALLED_DATA);
}

}  // namespace

std::filesystem::path ConfigHome(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome != nullptr && *xdgConfigHome == '/') {
        return xdgConfigHome;  // relative values are invalid and ignored
    }
    if (home == nullptr || *home == '\0') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : "/tmp";
    }
    return std::filesystem::path(home) / ".config";
}

std::filesystem::path ConfigHome() {
    return ConfigHome(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"));
}

std::filesystem::path ChooseProgramDirectory(const std::filesystem::path& executableDirectory,
                                             const char* xdgConfigHome, const char* home) {
    if (!executableDirectory.empty() && access(executableDirectory.c_str(), W_OK) == 0 &&
        !Installed(executableDirectory)) {
        return executableDirectory;
    }
    const std::filesystem::path directory = ConfigHome(xdgConfigHome, home) / "tavrel";
    std::error_code error;
    // A failure shows later, when a file there cannot be written.
    std::filesystem::create_directories(directory, error);
    return directory;
}

std::filesystem::path ProgramDirectory() {
    return ChooseProgramDirectory(ExecutableDirectory(), std::getenv("XDG_CONFIG_HOME"),
                                  std::getenv("HOME"));
}

std::filesystem::path ChooseDataDirectory(const std::filesystem::path& executableDirectory,
                                          const std::filesystem::path& installedRelative) {
    if (HasHelp(executableDirectory)) {
        return executableDirectory;
    }
    return (executableDirectory / installedRelative).lexically_normal();
}

std::filesystem::path DataDirectory() {
    return ChooseDataDirectory(ExecutableDirectory(), TAVREL_INSTALLED_DATA);
}

}  // namespace tavrel
