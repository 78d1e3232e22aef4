// The simulated receiver: a pseudo-terminal that answers the start-up bytes,
// sends bursts as its script says and logs everything with timestamps.
#pragma once

#include <string>

#include "script.h"

namespace irsim {

struct ReceiverOptions {
    std::string linkPath;  // where the line appears; empty: only the /dev/pts name is logged
    int burstSize = 6;
    int repeatMilliseconds = 110;
    std::string logPath;        // empty: standard error
    bool absoluteTime = false;  // log CLOCK_MONOTONIC milliseconds instead of time since start
    bool readStandardInput = true;
    bool loop = false;  // at its end the script plays again from its first command
};

// Runs until quit, the end of the script (which a looped script never
// reaches, unless it takes no time at all), or SIGINT/SIGTERM/SIGHUP; returns
// the exit status. The script parser may already hold commands (from the
// command line).
int RunReceiver(const ReceiverOptions& options, ScriptParser& script);

}  // namespace irsim
