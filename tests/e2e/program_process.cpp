// Starting, ending and reaping the tavrel program in end-to-end tests.
#include "program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

extern char** environ;

namespace tavrel::testing {
namespace {

// Waits for the child without blocking for longer than timeoutMs.
int WaitExit(pid_t pid, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (true) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            return status;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

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

ProgramProcess::~ProgramProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
    }
}

bool ProgramProcess::start(const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment) {
    // The tray icon must go to the X tray host, not to a desktop bus, and
    // the program must use the X display, whatever the test runs under.
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
                   entry.rfind("QT_QPA_PLATFORM=", 0) != 0) {
            variables.push_back(entry);
        }
    }
    std::vector<char*> env;
    for (std::string& entry : variables) {
        env.push_back(entry.data());
    }
    env.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = directory_ + "/tavrel.out";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> words{executable_};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed =
        ::posix_spawn(&pid, executable_.c_str(), &actions, nullptr, argv.data(), env.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return false;
    }
    pid_ = pid;
    return true;
}

int ProgramProcess::terminate(int timeoutMs) {
    if (pid_ <= 0) {
        return -1;
    }
    ::kill(pid_, SIGTERM);
    return wait(timeoutMs);
}

int ProgramProcess::wait(int timeoutMs) {
    if (pid_ <= 0) {
        return -1;
    }
    const int status = WaitExit(pid_, timeoutMs);
    if (status == -1) {
        ::kill(pid_, SIGKILL);
        int ignored = 0;
        ::waitpid(pid_, &ignored, 0);
    }
    pid_ = -1;
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

}  // namespace tavrel::testing
