// Command-line splitting and posix_spawnp in a new session.
#include "platform/posix/posix_processes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include "platform/text_encoding.h"

extern char** environ;

namespace tavrel {
namespace {

// Programs started through any instance and not yet collected.
struct StartedChildren {
    std::mutex mutex;
    std::vector<pid_t> running;
};

StartedChildren& Started() {
    static StartedChildren children;
    return children;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) {
                return std::nullopt;
            }
            word.append(line.substr(i + 1, close - i - 1));
            i = close + 1;
        } else if (c == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') {
                if (line[i] == '\\' && i + 1 < line.size() &&
                    std::string_view("\\\"$`").find(line[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                word += line[i++];
            }
            if (i == line.size()) {
                return std::nullopt;
            }
            ++i;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[i + 1];
            i += 2;
        } else {
            word += c;
            ++i;
        }
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

bool PosixProcesses::Start(const std::string& commandLine) {
    ReapExited();
    const auto words = SplitCommandLine(Cp1252ToUtf8(commandLine));
    if (!words || words->empty()) {
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(words->size() + 1);
    for (const std::string& w : *words) {
        argv.push_back(const_cast<char*>(w.c_str()));
    }
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        return false;
    }
    // The program gets no signal mask or ignored signals of ours.
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int error = posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) {
        return false;
    }
    {
        StartedChildren& started = Started();
        const std::lock_guard lock(started.mutex);
        started.running.push_back(pid);
    }
    if (onStarted) {
        onStarted();
    }
    return true;
}

std::size_t PosixProcesses::ReapExited() {
    // Only our own children: waiting for any child would steal the exit
    // status of processes that other parts of the program started.
    StartedChildren& started = Started();
    const std::lock_guard lock(started.mutex);
    std::erase_if(started.running, [](pid_t pid) {
        const pid_t result = waitpid(pid, nullptr, WNOHANG);
        return result == pid || (result < 0 && errno == ECHILD);
    });
    return started.running.size();
}

}  // namespace tavrel
