// Whether a window still answers: _NET_WM_PING sent to it at a steady pace
// from a thread and an X connection of its own, as a window manager does.
// Qt answers on its GUI thread, so the longest wait for an answer is how long
// the program's window stood frozen.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>

namespace tavrel::testing {

class WindowPinger {
public:
    // Pings window (an X window id) every periodMs until destroyed.
    explicit WindowPinger(unsigned long window, int periodMs = 50);
    ~WindowPinger();
    WindowPinger(const WindowPinger&) = delete;
    WindowPinger& operator=(const WindowPinger&) = delete;

    // The longest the window has taken to answer a ping so far, counting a
    // ping still unanswered by its age; in milliseconds.
    std::int64_t worstGapMs() const;
    int answers() const;
    // Forgets what was measured so far (pings on their way count anew).
    void reset();

private:
    using Clock = std::chrono::steady_clock;
    void run();

    const unsigned long window_;
    const int periodMs_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::map<std::uint32_t, Clock::time_point> waiting_;  // by the ping's number
    std::int64_t worst_ = 0;
    int answers_ = 0;
    std::thread thread_;
};

}  // namespace tavrel::testing
