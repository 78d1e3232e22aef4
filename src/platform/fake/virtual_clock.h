// Timers driven by a virtual clock, so tests of timing rules never sleep; and
// descriptor watches that look at real descriptors once per virtual
// millisecond, so a real pseudo-terminal can be read on virtual time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/read_watch.h"
#include "platform/timer.h"

namespace tavrel {

class VirtualClock : public TimerFactory, public ReadWatchFactory {
public:
    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::unique_ptr<Timer> createTimer() override;
    std::unique_ptr<ReadWatch> watchReadable(int fd, std::function<void()> onReadable) override;

    // Moves the clock forward, firing every tick that falls due on the way in
    // time order (ties in the order the timers were created). While a
    // descriptor is watched, the clock moves a millisecond at a time and
    // looks at the watched descriptors at every instant, before its ticks.
    void advance(std::int64_t milliseconds);

    std::int64_t now() const { return now_; }

private:
    class VirtualTimer;
    friend class VirtualTimer;
    class VirtualReadWatch;
    friend class VirtualReadWatch;

    void DispatchReadable();

    std::int64_t now_ = 0;
    std::vector<VirtualTimer*> timers_;
    std::vector<VirtualReadWatch*> watches_;
};

}  // namespace tavrel
