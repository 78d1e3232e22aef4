// Timers driven by a virtual clock, so tests of timing rules never sleep.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/timer.h"

namespace tavrel {

class VirtualClock : public TimerFactory {
public:
    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::unique_ptr<Timer> createTimer() override;

    // Moves the clock forward, firing every tick that falls due on the way in
    // time order (ties in the order the timers were created).
    void advance(std::int64_t milliseconds);

    std::int64_t now() const { return now_; }

private:
    class VirtualTimer;
    friend class VirtualTimer;

    std::int64_t now_ = 0;
    std::vector<VirtualTimer*> timers_;
};

}  // namespace tavrel
