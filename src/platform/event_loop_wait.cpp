// Polling a condition with the event loop running in between.
#include "platform/event_loop_wait.h"

#include <thread>

namespace tavrel {
namespace {

// Short enough that timers, the serial port and the user are served as if
// nothing were waiting.
constexpr std::chrono::milliseconds kSlice{2};

}  // namespace

bool EventLoopWait::Until(const std::function<bool()>& condition,
                          std::chrono::milliseconds longest) {
    const auto deadline = std::chrono::steady_clock::now() + longest;
    for (;;) {
        if (condition()) {
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            return false;
        }
        if (processMessages_) {
            processMessages_();
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kSlice, deadline - now));
    }
}

}  // namespace tavrel
