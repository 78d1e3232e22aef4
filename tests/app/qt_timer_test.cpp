// The Qt-backed core timers: ticks arrive through the event loop and stop
// when a handler disables its own timer.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include "app/qt_timer.h"

namespace tavrel {
namespace {

// Runs the event loop until done says so; the deadline only guards a broken timer.
template <typename Done>
bool RunUntil(Done done) {
    QDeadlineTimer guard(5000);
    while (!done() && !guard.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return done();
}

TEST(QtTimerTest, TicksWhileEnabled) {
    QtTimerFactory factory;
    auto timer = factory.createTimer();
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_FALSE(timer->enabled());
    int ticks = 0;
    timer->setTickHandler([&] {
        if (++ticks == 2) {
            timer->setEnabled(false);  // a handler may stop its own timer
        }
    });
    timer->setInterval(0);
    timer->setEnabled(true);
    EXPECT_TRUE(RunUntil([&] { return ticks == 2; }));
    EXPECT_FALSE(timer->enabled());
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 2);
}

}  // namespace
}  // namespace tavrel
