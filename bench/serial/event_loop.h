// A small poll()-based message loop on this thread for the serial benchmarks:
// real timers and real descriptor watches, run as the program's loop runs
// them, counting how often it wakes up.
#pragma once

#include <poll.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/read_watch.h"
#include "platform/timer.h"

namespace tavrel::bench {

using Clock = std::chrono::steady_clock;

class EventLoop : public TimerFactory, public ReadWatchFactory {
public:
    std::unique_ptr<Timer> createTimer() override {
        auto timer = std::make_unique<LoopTimer>(*this);
        timers_.push_back(timer.get());
        return timer;
    }

    std::unique_ptr<ReadWatch> watchReadable(int fd, std::function<void()> onReadable) override {
        auto watch = std::make_unique<LoopWatch>(*this, fd, std::move(onReadable));
        watches_.push_back(watch.get());
        return watch;
    }

    // Runs the loop until done() holds or the deadline passes. With a poll
    // period, done() is also looked at that often (for conditions that other
    // threads make true); without one the loop sleeps until a timer is due or
    // a descriptor is ready.
    bool runUntil(const std::function<bool()>& done, Clock::time_point deadline,
                  std::chrono::microseconds pollPeriod = std::chrono::microseconds(0)) {
        while (!done()) {
            const auto now = Clock::now();
            if (now >= deadline) {
                return false;
            }
            auto next = deadline;
            if (pollPeriod.count() > 0) {
                next = std::min(next, now + pollPeriod);
            }
            for (LoopTimer* timer : timers_) {
                if (timer->enabled()) {
                    next = std::min(next, timer->due);
                }
            }
            std::vector<pollfd> fds;
            for (LoopWatch* watch : watches_) {
                fds.push_back({watch->fd, POLLIN, 0});
            }
            const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::max(next - now, Clock::duration::zero()));
            const timespec span{static_cast<time_t>(wait.count() / 1000000000),
                                static_cast<long>(wait.count() % 1000000000)};
            ppoll(fds.data(), fds.size(), &span, nullptr);
            ++wakeUps;
            // Watches first, as a burst that arrived counts before a timer
            // that fell due meanwhile; handlers may end watches.
            for (const pollfd& ready : fds) {
                if ((ready.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
                    for (LoopWatch* watch : watches_) {
                        if (watch->fd == ready.fd) {
                            watch->onReadable();
                            break;
                        }
                    }
                }
            }
            for (std::size_t i = 0; i < timers_.size(); ++i) {
                LoopTimer* timer = timers_[i];
                if (timer->enabled() && Clock::now() >= timer->due) {
                    timer->due += std::chrono::milliseconds(std::max(timer->interval(), 1));
                    timer->fire();
                }
            }
        }
        return true;
    }

    long wakeUps = 0;

private:
    class LoopTimer : public Timer {
    public:
        explicit LoopTimer(EventLoop& loop) : loop_(loop) {}
        ~LoopTimer() override { std::erase(loop_.timers_, this); }
        void setInterval(int milliseconds) override {
            interval_ = milliseconds;
            restart();
        }
        int interval() const override { return interval_; }
        void setEnabled(bool enabled) override {
            if (enabled && !enabled_) {
                restart();
            }
            enabled_ = enabled;
        }
        bool enabled() const override { return enabled_; }
        void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }
        void fire() {
            if (onTick_) {
                onTick_();
            }
        }
        Clock::time_point due;

    private:
        void restart() { due = Clock::now() + std::chrono::milliseconds(std::max(interval_, 1)); }
        EventLoop& loop_;
        int interval_ = 1000;
        bool enabled_ = false;
        std::function<void()> onTick_;
    };

    class LoopWatch : public ReadWatch {
    public:
        LoopWatch(EventLoop& loop, int watched, std::function<void()> handler)
            : fd(watched), loop_(loop), handler_(std::move(handler)) {}
        ~LoopWatch() override { std::erase(loop_.watches_, this); }
        void onReadable() const {
            const std::function<void()> handler = handler_;  // it may end this watch
            handler();
        }
        int fd;

    private:
        EventLoop& loop_;
        std::function<void()> handler_;
    };

    std::vector<LoopTimer*> timers_;
    std::vector<LoopWatch*> watches_;
};

}  // namespace tavrel::bench
