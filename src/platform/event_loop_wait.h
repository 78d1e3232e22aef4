// Waiting for a display server, a window manager or a compositor without
// keeping the program's event loop waiting: the pending events run every few
// milliseconds while a condition is polled.
#pragma once

#include <chrono>
#include <functional>

namespace tavrel {

class EventLoopWait {
public:
    // processMessages lets pending events run and returns; empty means none.
    void setMessagePump(std::function<void()> processMessages) {
        processMessages_ = std::move(processMessages);
    }

    // True as soon as condition holds, false once longest has passed.
    // Events that run meanwhile may call back into the backend.
    bool Until(const std::function<bool()>& condition, std::chrono::milliseconds longest);

    // Lets time pass, events running meanwhile.
    void For(std::chrono::milliseconds duration) {
        Until([] { return false; }, duration);
    }

private:
    std::function<void()> processMessages_;
};

}  // namespace tavrel
