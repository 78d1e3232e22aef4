// Message-loop timers as the core sees them. The program supplies Qt-backed
// timers, tests a virtual clock, so no core code ever waits or sleeps.
#pragma once

#include <functional>
#include <memory>

namespace tavrel {

// A repeating timer that ticks on the one user-interface thread.
// Enabling a disabled timer, or changing the interval of an enabled one,
// starts a fresh period; enabling an enabled timer changes nothing.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setTickHandler(std::function<void()> onTick) = 0;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

}  // namespace tavrel
