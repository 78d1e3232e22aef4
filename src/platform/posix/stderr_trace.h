// The trace backend for developers: standard error, each line stamped with
// CLOCK_MONOTONIC milliseconds, the clock irsim's --absolute-time log uses.
#pragma once

#include <memory>

#include "platform/trace.h"

namespace tavrel {

class StderrTrace final : public Trace {
public:
    void line(std::string_view event) override;
};

// A StderrTrace when TAVREL_TRACE is set to 1, else none.
std::unique_ptr<Trace> TraceFromEnvironment();

}  // namespace tavrel
