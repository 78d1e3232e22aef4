// Trace lines on standard error.
#include "platform/posix/stderr_trace.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/text_encoding.h"

namespace tavrel {

void StderrTrace::line(std::string_view event) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char stamp[48];
    std::snprintf(
        stamp, sizeof stamp, "%.3f ",
        static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6);
    std::string text = stamp;
    text += Cp1252ToUtf8(event);
    text += '\n';
    // One write per line, so lines of other writers never cut into it.
    if (::write(STDERR_FILENO, text.data(), text.size()) < 0) {
        return;  // nowhere left to tell
    }
}

std::unique_ptr<Trace> TraceFromEnvironment() {
    const char* setting = std::getenv("TAVREL_TRACE");
    if (setting == nullptr || std::string_view(setting) != "1") {
        return nullptr;
    }
    return std::make_unique<StderrTrace>();
}

}  // namespace tavrel
