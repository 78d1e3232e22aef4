// Children of tests started with posix_spawn and reaped with waitpid.
#include "child_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace tavrel::testing {

ChildProcess::~ChildProcess() {
    if (running()) {
        stop(SIGKILL, 5000);
    }
}

bool ChildProcess::start(const std::vector<std::string>& arguments, ChildStreams streams,
                         const std::vector<std::string>* environment) {
    if (running() || arguments.empty()) {
        return false;
    }
    std::vector<std::string> argumentCopies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : argumentCopies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> variableCopies;
    std::vector<char*> envp;
    if (environment != nullptr) {
        variableCopies = *environment;
        for (std::string& variable : variableCopies) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int targets[] = {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO};
    const int sources[] = {streams.input, streams.output, streams.error};
    for (int i = 0; i < 3; ++i) {
        if (sources[i] >= 0) {
            posix_spawn_file_actions_adddup2(&actions, sources[i], targets[i]);
        }
    }
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(),
                                   environment != nullptr ? envp.data() : environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
        return false;
    }
    pid_ = pid;
    status_ = -1;
    return true;
}

int ChildProcess::waitExit(int timeoutMs) {
    if (!running()) {
        return status_;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            pid_ = -1;
            status_ = status;
            return status_;
        }
        if (done < 0 || std::chrono::steady_clock::now() >= deadline) {
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));  // poll interval
    }
}

int ChildProcess::stop(int signal, int timeoutMs) {
    if (!running()) {
        return status_;
    }
    kill(pid_, signal);
    const int status = waitExit(timeoutMs);
    if (status == -1 && running()) {
        kill(pid_, SIGKILL);
        int ignored = 0;
        waitpid(pid_, &ignored, 0);
        pid_ = -1;
    }
    return status;
}

}  // namespace tavrel::testing
