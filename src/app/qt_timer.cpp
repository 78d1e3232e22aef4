// A Timer over QTimer with the restart rules of the Timer interface, and a
// ReadWatch over QSocketNotifier.
#include "app/qt_timer.h"

#include <QSocketNotifier>
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

class QtReadWatch : public ReadWatch {
public:
    QtReadWatch(int fd, std::function<void()> onReadable)
        : notifier_(new QSocketNotifier(static_cast<qintptr>(fd), QSocketNotifier::Read)),
          state_(std::make_shared<State>()) {
        state_->onReadable = std::move(onReadable);
        // Qt also reports a hang-up or an error of the descriptor as readable.
        // The state outlives the watch while its handler runs: the handler
        // may end the watch.
        QObject::connect(notifier_, &QSocketNotifier::activated, [state = state_] {
            state->firing = true;
            state->onReadable();
            state->firing = false;
        });
    }
    ~QtReadWatch() override {
        notifier_->setEnabled(false);
        QObject::disconnect(notifier_, nullptr, nullptr, nullptr);
        // Qt still uses a notifier whose own signal is running.
        if (state_->firing) {
            notifier_->deleteLater();
        } else {
            delete notifier_;
        }
    }
    QtReadWatch(const QtReadWatch&) = delete;
    QtReadWatch& operator=(const QtReadWatch&) = delete;

private:
    struct State {
        std::function<void()> onReadable;
        bool firing = false;
    };
    QSocketNotifier* notifier_;
    std::shared_ptr<State> state_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerFactory::createTimer() {
    return std::make_unique<QtTimer>();
}

std::unique_ptr<ReadWatch> QtReadWatchFactory::watchReadable(int fd,
                                                             std::function<void()> onReadable) {
    return std::make_unique<QtReadWatch>(fd, std::move(onReadable));
}

}  // namespace tavrel
