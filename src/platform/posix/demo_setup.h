// Trying Tavrel without a receiver: a program directory made for one run, with
// one remote of two learned buttons and COM2 mapped to the simulated receiver,
// which runs as a child pressing those buttons. The user's own files are never
// read or written, and the receiver and the directory go when the run ends.
// The run keeps its directory locked: the directory of a run that was killed
// is not, and the next run removes it.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/posix/unique_fd.h"

namespace tavrel {

class DemoSetup {
public:
    // Removes what killed runs left in runtimeDirectory, makes the directory
    // there and starts the simulated
    // receiver (tavrel-irsim beside the program, or in the build tree), and
    // returns once its line is up. Null with the reason in problem otherwise.
    static std::unique_ptr<DemoSetup> Start(const std::filesystem::path& runtimeDirectory,
                                            std::string& problem);
    // $XDG_RUNTIME_DIR when it is an absolute path, else $TMPDIR or /tmp.
    static std::filesystem::path DefaultRuntimeDirectory();

    // Ends the receiver, waits for it and removes the directory.
    ~DemoSetup();
    DemoSetup(const DemoSetup&) = delete;
    DemoSetup& operator=(const DemoSetup&) = delete;

    // The program directory of the run.
    const std::filesystem::path& directory() const { return directory_; }
    // What the run does, for standard output.
    std::string Description() const;

private:
    explicit DemoSetup(std::filesystem::path directory) : directory_(std::move(directory)) {}

    std::filesystem::path directory_;
    UniqueFd lock_;  // the directory, locked for as long as the run lasts
    pid_t receiver_ = -1;
};

}  // namespace tavrel
