// Starting programs from a command line, without a shell and without waiting.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"

namespace tavrel {

// Splits a command line into words: blanks separate words, single quotes keep
// everything literally, double quotes keep everything but backslash escapes of
// \ " $ and `, and outside quotes a backslash keeps the next character. No
// variables, globs or command substitution. nullopt for an unclosed quote.
std::optional<std::vector<std::string>> SplitCommandLine(std::string_view line);

// Each started program runs in a session of its own, with this process's
// environment and working directory. Exited children are collected on every
// Start and by ReapExited, which the program calls from a timer while children
// run so that none stays a zombie for long; nothing relies on SIGCHLD, which a
// toolkit or a library may own. A started program often outlives the object
// that started it, so the list of children to collect belongs to the process:
// any instance collects them all.
class PosixProcesses final : public Processes {
public:
    PosixProcesses() = default;
    PosixProcesses(const PosixProcesses&) = delete;
    PosixProcesses& operator=(const PosixProcesses&) = delete;

    bool Start(const std::string& commandLine) override;

    // Collects the children that have exited, whichever instance started
    // them; returns how many are still running.
    std::size_t ReapExited();

    // Called after every program started, so that the collecting timer need
    // only run while a child exists.
    std::function<void()> onStarted;
};

}  // namespace tavrel
