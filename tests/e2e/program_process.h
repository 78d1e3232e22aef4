// The real tavrel program as a child of a test: a private copy in a program
// directory of its own, started on the test's X display and always reaped.
#pragma once

#include <string>
#include <vector>

#include "child_process.h"

namespace tavrel::testing {

class ProgramProcess {
public:
    // Puts the built program into directory (a hard link, else a copy), so
    // that directory becomes its program directory.
    explicit ProgramProcess(const std::string& directory);
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // Starts it with standard output and error going to directory/tavrel.out.
    // environment: "NAME=value" sets a variable, "NAME" removes it.
    bool start(const std::vector<std::string>& arguments = {},
               const std::vector<std::string>& environment = {});
    bool running() const { return child_.running(); }
    pid_t pid() const { return child_.pid(); }
    // SIGTERM, then the exit status as from waitpid; -1 when it did not end
    // within timeoutMs (it is killed then).
    int terminate(int timeoutMs = 10000);
    // The exit status when it ends by itself within timeoutMs; -1 otherwise
    // (it is killed then).
    int wait(int timeoutMs = 10000);
    // What the program printed so far.
    std::string output() const;

private:
    std::string directory_;
    std::string executable_;
    ChildProcess child_;
};

// Runs a shell command line and returns its standard output.
std::string RunCommand(const std::string& commandLine);

// The ids of the windows "xdotool search OPTIONS" finds.
std::vector<std::string> FindWindows(const std::string& options);

// The window manager's state of window: "Iconic", "Normal", or "" for a
// window it has withdrawn (hidden).
std::string WindowState(const std::string& window);

}  // namespace tavrel::testing
