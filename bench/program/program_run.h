// The real program set up as a user runs it, for the benchmarks of the whole
// program: its own copy in a scratch directory (so tavrel.ini beside it is its
// own), irsim as the receiver of COM2, and a commands file of a few remotes.
#pragma once

#include <string>

#include "child_process.h"
#include "irsim_process.h"
#include "temp_dir.h"

namespace tavrel::bench {

struct ProgramSetup {
    bool loadMinimized = true;
    int remotes = 5;
    int commandsPerRemote = 20;
};

class ProgramRun {
public:
    explicit ProgramRun(const ProgramSetup& setup);
    // Whether irsim's line is up, so the program can be started.
    bool ready() const { return irsim_.started(); }
    // Starts the program; false when it could not be started.
    bool start();
    // Waits until the program has opened its port and sent the start-up
    // bytes ('I' and 'R' have reached irsim).
    bool waitForPortOpen(int timeoutMs = 20000) { return irsim_.waitForEvents("rx", 2, timeoutMs); }

    testing::IrsimProcess& irsim() { return irsim_; }
    testing::ChildProcess& program() { return program_; }

private:
    testing::TempDir dir_;
    testing::IrsimProcess irsim_;
    testing::ChildProcess program_;
};

}  // namespace tavrel::bench
