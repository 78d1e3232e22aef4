// Trying Tavrel without a receiver: a program directory made for one run, with
// one remote of two learned buttons and COM2 mapped to the simulated receiver,
// which runs as a child pressing those buttons. The user's own files are never
// read or written, and the receiver and the directory go when the run ends.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <string>

namespace tavrel {

class DemoSetup {
public:
    // Makes the directory under runtimeDirectory and starts the simulated
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
    pid_t receiver_ = -1;
};

}  // namespace tavrel
