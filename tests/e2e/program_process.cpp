// Starting, ending and reaping the tavrel program in end-to-end tests.
#include "program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/posix/unique_fd.h"

extern char** environ;

namespace tavrel::testing {

ProgramProcess::ProgramProcess(const std::string& directory)
    : directory_(directory), executable_(directory + "/tavrel") {
    std::error_code error;
    if (std::filesystem::exists(executable_)) {
        return;  // a second program in the same directory
    }
    std::filesystem::create_hard_link(TAVREL_PROGRAM_PATH, executable_, error);
    if (error) {
        std::filesystem::copy_file(TAVREL_PROGRAM_PATH, executable_,
                                   std::filesystem::copy_options::overwrite_existing, error);
    }
}

bool ProgramProcess::start(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment) {
    // The tray icon must go to the X tray host, not to a desktop bus, and
    // the program must use the X display, whatever the test runs under,
    // unless the test names a Wayland display.
    // Qt's X11 platform reads its keymap through a strndup of a buffer that
    // is not terminated, which strict string checks take for an overflow.
    std::vector<std::string> variables;
    const auto changed = [&environment](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('='));
        for (const std::string& change : environment) {
            if (change.substr(0, change.find('=')) == name) {
                return true;
            }
        }
        return false;
    };
    for (const std::string& change : environment) {
        if (change.find('=') != std::string::npos) {
            variables.push_back(change);
        }
    }
    for (char** v = environ; *v != nullptr; ++v) {
        const std::string entry = *v;
        if (changed(entry)) {
            continue;
        }
        if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
            variables.push_back(entry + ":strict_string_checks=0");
        } else if (entry.rfind("DBUS_SESSION_BUS_ADDRESS=", 0) != 0 &&
                   entry.rfind("QT_QPA_PLATFORM=", 0) != 0 &&
                   entry.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
                   entry.rfind("TAVREL_INPUT=", 0) != 0) {
            variables.push_back(entry);
        }
    }
    std::vector<std::string> words{executable_};
    words.insert(words.end(), arguments.begin(), arguments.end());
    const UniqueFd out(::open((directory_ + "/tavrel.out").c_str(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    const UniqueFd nothing(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    return out && nothing &&
           child_.start(
               words, ChildStreams{.input = nothing.get(), .output = out.get(), .error = out.get()},
               &variables);
}

int ProgramProcess::terminate(int timeoutMs) {
    return child_.stop(SIGTERM, timeoutMs);
}

int ProgramProcess::wait(int timeoutMs) {
    const int status = child_.waitExit(timeoutMs);
    if (status == -1) {
        child_.stop(SIGKILL, timeoutMs);
    }
    return status;
}

std::string ProgramProcess::output() const {
    std::ifstream in(directory_ + "/tavrel.out", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string RunCommand(const std::string& commandLine) {
    std::string out;
    FILE* pipe = ::popen(commandLine.c_str(), "r");
    if (pipe == nullptr) {
        return out;
    }
    char buffer[512];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, got);
    }
    ::pclose(pipe);
    return out;
}

std::vector<std::string> FindWindows(const std::string& options) {
    std::istringstream ids(RunCommand("xdotool search " + options + " 2>/dev/null"));
    std::vector<std::string> found;
    for (std::string id; ids >> id;) {
        found.push_back(id);
    }
    return found;
}

std::string WindowState(const std::string& window) {
    const std::string out = RunCommand("xprop -id " + window + " WM_STATE 2>/dev/null");
    for (const char* state : {"Iconic", "Normal"}) {
        if (out.find(std::string("window state: ") + state) != std::string::npos) {
            return state;
        }
    }
    return {};
}

}  // namespace tavrel::testing
