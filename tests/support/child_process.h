// A program that a test or benchmark starts and must see end: started with
// chosen standard streams and environment, waited for with a time limit, and
// killed and reaped at the latest when its owner goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace tavrel::testing {

struct ChildStreams {
    // Each descriptor that is not -1 becomes the child's standard input,
    // output or error; the others are inherited.
    int input = -1;
    int output = -1;
    int error = -1;
};

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts arguments[0] (a path) with the rest as its arguments, in the
    // given environment ("NAME=value" entries), or in this process's when
    // none is given. False when it could not be started.
    bool start(const std::vector<std::string>& arguments, ChildStreams streams = {},
               const std::vector<std::string>* environment = nullptr);

    bool running() const { return pid_ > 0; }
    pid_t pid() const { return pid_; }

    // The exit status (as from waitpid) once it has ended; -1 while it still
    // runs after timeoutMs (0: only a look).
    int waitExit(int timeoutMs);
    // Sends signal, then waits as waitExit; when it has not ended by then it
    // is killed and reaped, and -1 returned.
    int stop(int signal, int timeoutMs);

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

}  // namespace tavrel::testing
