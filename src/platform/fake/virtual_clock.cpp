#include "platform/fake/virtual_clock.h"

#include <poll.h>

#include <algorithm>
#include <limits>

namespace tavrel {

class VirtualClock::VirtualTimer : public Timer {
public:
    explicit VirtualTimer(VirtualClock& clock) : clock_(&clock) { clock_->timers_.push_back(this); }
    ~VirtualTimer() override {
        if (clock_ != nullptr) {
            auto& list = clock_->timers_;
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        }
    }

    void setInterval(int milliseconds) override {
        if (milliseconds == interval_) {
            return;
        }
        interval_ = milliseconds;
        if (enabled_) {
            restart();
        }
    }
    int interval() const override { return interval_; }

    void setEnabled(bool enabled) override {
        if (enabled == enabled_) {
            return;
        }
        enabled_ = enabled;
        if (enabled_) {
            restart();
        }
    }
    bool enabled() const override { return enabled_; }

    void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

    // A timer with a zero interval ticks on every advance, like a message-loop
    // timer of the shortest period; it never ticks twice at one instant.
    std::int64_t due() const { return due_; }
    bool active() const { return clock_ != nullptr && enabled_; }

    void fire() {
        due_ = clock_->now_ + std::max(interval_, 1);
        if (onTick_) {
            onTick_();
        }
    }

    void detach() { clock_ = nullptr; }

private:
    void restart() { due_ = clock_->now_ + std::max(interval_, 1); }

    VirtualClock* clock_;
    int interval_ = 1000;
    bool enabled_ = false;
    std::int64_t due_ = 0;
    std::function<void()> onTick_;
};

class VirtualClock::VirtualReadWatch : public ReadWatch {
public:
    VirtualReadWatch(VirtualClock& clock, int fd, std::function<void()> onReadable)
        : clock_(&clock), fd_(fd), onReadable_(std::move(onReadable)) {
        clock_->watches_.push_back(this);
    }
    ~VirtualReadWatch() override {
        if (clock_ != nullptr) {
            std::erase(clock_->watches_, this);
        }
    }

    int fd() const { return fd_; }
    // A copy: the handler may end this watch.
    void fire() const {
        const std::function<void()> handler = onReadable_;
        handler();
    }
    void detach() { clock_ = nullptr; }

private:
    VirtualClock* clock_;
    int fd_;
    std::function<void()> onReadable_;
};

VirtualClock::VirtualClock() = default;

VirtualClock::~VirtualClock() {
    for (VirtualTimer* timer : timers_) {
        timer->detach();
    }
    for (VirtualReadWatch* watch : watches_) {
        watch->detach();
    }
}

std::unique_ptr<Timer> VirtualClock::createTimer() {
    return std::make_unique<VirtualTimer>(*this);
}

std::unique_ptr<ReadWatch> VirtualClock::watchReadable(int fd, std::function<void()> onReadable) {
    return std::make_unique<VirtualReadWatch>(*this, fd, std::move(onReadable));
}

void VirtualClock::DispatchReadable() {
    // Handlers may end watches or start new ones: each round looks afresh.
    std::vector<VirtualReadWatch*> due;
    for (VirtualReadWatch* watch : watches_) {
        pollfd ready{watch->fd(), POLLIN, 0};
        if (poll(&ready, 1, 0) > 0 && (ready.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            due.push_back(watch);
        }
    }
    for (VirtualReadWatch* watch : due) {
        if (std::find(watches_.begin(), watches_.end(), watch) != watches_.end()) {
            watch->fire();
        }
    }
}

void VirtualClock::advance(std::int64_t milliseconds) {
    const std::int64_t target = now_ + std::max<std::int64_t>(milliseconds, 0);
    for (;;) {
        if (!watches_.empty()) {
            DispatchReadable();
        }
        // Watched descriptors are looked at every millisecond.
        const std::int64_t stepEnd = watches_.empty() ? target : std::min(target, now_ + 1);
        VirtualTimer* next = nullptr;
        std::int64_t nextDue = std::numeric_limits<std::int64_t>::max();
        for (VirtualTimer* timer : timers_) {
            if (timer->active() && timer->due() < nextDue) {
                next = timer;
                nextDue = timer->due();
            }
        }
        if (next != nullptr && nextDue <= stepEnd) {
            now_ = std::max(now_, nextDue);
            next->fire();
            continue;
        }
        if (now_ >= target) {
            break;
        }
        now_ = stepEnd;
    }
}

}  // namespace tavrel
