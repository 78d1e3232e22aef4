// The one place that holds the program's trace.
#include "platform/trace.h"

namespace tavrel {

Trace* trace_detail::installed = nullptr;

void InstallTrace(Trace* trace) {
    trace_detail::installed = trace;
}

}  // namespace tavrel
