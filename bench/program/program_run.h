// The real program set up as a user runs it, for the benchmarks of the whole
// program: its own copy in a scratch directory (so tavrel.ini beside it is its
// own), irsim as the receiver of COM2, and a commands file of many remotes
// (see large_table.h). It may be started again and again on the same files.
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
    bool log = false;  // recognitions are logged to file("tavrel.log")
};

class ProgramRun {
public:
    explicit ProgramRun(const ProgramSetup& setup);
    // Whether irsim's line is up, so the program can be started.
    bool ready() const { return irsim_.started(); }
    // Starts the program; false when it could not be started.
    bool start();
    // Waits until the program started last has opened its port and sent the
    // start-up bytes ('I' and 'R' have reached irsim).
    bool waitForPortOpen(int timeoutMs = 20000) {
        return irsim_.waitForEvents("rx", rxBeforeStart_ + 2, timeoutMs);
    }
    // irsim's stamp of the 'I' of the program started last.
    double startUpByteMilliseconds() const {
        return irsim_.events("rx")[rxBeforeStart_].milliseconds;
    }
    std::string file(const std::string& name) const { return dir_.file(name); }

    testing::IrsimProcess& irsim() { return irsim_; }
    testing::ChildProcess& program() { return program_; }

private:
    testing::TempDir dir_;
    testing::IrsimProcess irsim_;
    testing::ChildProcess program_;
    std::size_t rxBeforeStart_ = 0;
};

}  // namespace tavrel::bench
