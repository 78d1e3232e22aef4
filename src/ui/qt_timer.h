// The core's timers on QTimer: message-loop timers of the one GUI thread.
#pragma once

#include "platform/timer.h"

namespace tavrel {

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer() override;
};

}  // namespace tavrel
