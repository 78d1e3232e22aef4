// A tray host (trayer) as a child of a test or benchmark, always reaped: a
// notification area that comes and goes when the caller says.
#pragma once

#include "child_process.h"

namespace tavrel::testing {

class TrayHost {
public:
    // Starts trayer on the display in DISPLAY; started() tells whether it runs.
    TrayHost();
    bool started() const { return child_.running(); }
    void stop();

private:
    ChildProcess child_;
};

}  // namespace tavrel::testing
