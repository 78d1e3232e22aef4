// A Timer over QTimer with the restart rules of the Timer interface.
#include "qt_timer.h"

#include <QTimer>
#include <algorithm>

namespace tavrel {
namespace {

class QtTimer : public Timer {
public:
    QtTimer() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (onTick_) {
                onTick_();
            }
        });
    }

    void setInterval(int milliseconds) override {
        if (milliseconds == interval_) {
            return;
        }
        interval_ = milliseconds;
        if (timer_.isActive()) {
            timer_.start(period());
        }
    }
    int interval() const override { return interval_; }

    void setEnabled(bool enabled) override {
        if (enabled == timer_.isActive()) {
            return;
        }
        if (enabled) {
            timer_.start(period());
        } else {
            timer_.stop();
        }
    }
    bool enabled() const override { return timer_.isActive(); }

    void setTickHandler(std::function<void()> onTick) override { onTick_ = std::move(onTick); }

private:
    // A zero interval would make QTimer fire whenever the loop is idle; a
    // message-loop timer's shortest period is one tick of the clock.
    int period() const { return std::max(interval_, 1); }

    QTimer timer_;
    int interval_ = 1000;
    std::function<void()> onTick_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerFactory::createTimer() {
    return std::make_unique<QtTimer>();
}

}  // namespace tavrel
