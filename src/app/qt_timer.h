// The core's timers and descriptor watches on Qt's event loop: QTimer and
// QSocketNotifier on the one GUI thread.
#pragma once

#include "platform/read_watch.h"
#include "platform/timer.h"

namespace tavrel {

class QtTimerFactory : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer() override;
};

class QtReadWatchFactory : public ReadWatchFactory {
public:
    std::unique_ptr<ReadWatch> watchReadable(int fd, std::function<void()> onReadable) override;
};

}  // namespace tavrel
