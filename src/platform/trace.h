// The developer trace: one line per event of the receiving side (port, batch,
// burst, recognition, action), for answering "my remote does nothing" without
// a debugger. Off unless a backend is installed; then the program's parts
// write to it through TraceEvent, and nothing is formatted while it is off.
#pragma once

#include <string>
#include <string_view>

namespace tavrel {

class Trace {
public:
    virtual ~Trace() = default;
    // One event in Windows-1252 like every core text, without a line end;
    // the backend adds the time.
    virtual void line(std::string_view event) = 0;
};

namespace trace_detail {
extern Trace* installed;
}

// The trace in force for the whole program, or none (the default). Installed
// once at start-up, before any part runs; the trace must outlive its use.
inline Trace* ActiveTrace() {
    return trace_detail::installed;
}
void InstallTrace(Trace* trace);

// Calls makeEvent (returning the event's text) only while tracing.
template <typename MakeEvent>
void TraceEvent(MakeEvent&& makeEvent) {
    if (Trace* trace = ActiveTrace()) {
        trace->line(std::string(makeEvent()));
    }
}

// A trace installed for one scope, the previous one back afterwards.
class ScopedTrace {
public:
    explicit ScopedTrace(Trace& trace) : previous_(ActiveTrace()) { InstallTrace(&trace); }
    ~ScopedTrace() { InstallTrace(previous_); }
    ScopedTrace(const ScopedTrace&) = delete;
    ScopedTrace& operator=(const ScopedTrace&) = delete;

private:
    Trace* previous_;
};

}  // namespace tavrel
